#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "services/Backend.h"
#include "services/QuoteService.h"

namespace kavex::services::testing {

// 2024-06-12 15:30:00 UTC, a Wednesday.
inline std::chrono::system_clock::time_point fixedTime() {
    using namespace std::chrono;
    return sys_days{year{2024} / June / 12} + hours{15} + minutes{30};
}

inline ServerOptions seededOptions() {
    ServerOptions options;
    options.seedDirectory = std::string(KAVEX_SOURCE_DIR) + "/data/seeds";
    return options;
}

using Params = std::initializer_list<std::pair<const char*, std::string>>;

// A backend at a fixed time, asked without HTTP.
class ServiceFixture : public ::testing::Test {
  protected:
    ServiceFixture() : backend(seededOptions()) {
        backend.setClock([this] { return now; });
    }

    ServiceAnswer ask(const std::string& path, Params params = {},
                      const std::string& referer = {}) {
        ServiceRequest request;
        request.path = path;
        for (const auto& [name, value] : params) {
            request.params.emplace(name, value);
        }
        request.referer = referer;
        return backend.handle(request);
    }

    // The answer parsed; fails the test when it is not XML.
    pugi::xml_document askXml(const std::string& path, Params params = {},
                              const std::string& referer = {}) {
        const ServiceAnswer answer = ask(path, params, referer);
        EXPECT_EQ(answer.status, 200) << answer.body;
        pugi::xml_document document;
        const auto parsed = document.load_string(answer.body.c_str());
        EXPECT_TRUE(parsed) << parsed.description() << "\n" << answer.body;
        return document;
    }

    static std::string text(const pugi::xml_document& document, const char* xpath) {
        return document.select_node(xpath).node().text().as_string();
    }

    struct LoggedIn {
        std::string sessionKey;
        std::string referrer;
    };
    LoggedIn login(const std::string& user = "demo", const std::string& password = "demo") {
        const auto document =
            askXml("/datafeeder/Login.jsp", {{"UserID", user}, {"Password", password}});
        return {text(document, "/zurovizout/SessionKey"), text(document, "/zurovizout/Referrer")};
    }

    pugi::xml_document quotes(const std::string& symbols, const std::string& referrer,
                              const std::string& fields = {}) {
        return askXml(
            "/tools/XM01",
            {{"qid", std::string(quoteQueryId)}, {"symbols", symbols}, {"fields", fields}},
            referrer);
    }

    std::chrono::system_clock::time_point now = fixedTime();
    Backend backend;
};

}  // namespace kavex::services::testing
