#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/marketdata/DivSplit.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/MessageLoop.h"
#include "platform/xml/Document.h"
#include "services/Server.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::addin::testing {

// A fresh Kavex.mdb in a folder of its own as the add-in's database, the stand-in services
// running in-process as both the web service and the quote service, and a session of the demo
// account. Logging goes to the folder's KavexLog.txt at every level.
class LiveServicesFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kavex-pool-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() +
                   "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        tool::createDatabase(folder_ / "Kavex.mdb");

        core::AddInPath = folder_.string() + "/";
        core::LogLevel = 3;
        core::DBConnection.reset();
        core::OpenDBConnection();
        ASSERT_TRUE(core::DBConnection && core::DBConnection->State() == 1);

        services::ServerOptions options;
        options.slowDelay = std::chrono::milliseconds(3000);
        server_ = std::make_unique<services::Server>(options);
        server_->start();
        core::WebsiteURL = server_->baseUrl();
        core::QuoteServiceURL = server_->baseUrl();
        core::WebRequestTimeout = std::chrono::milliseconds(5000);
        core::ConnectivityMessageShown = false;

        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
        os::messageLoop().reset();
        refresh::resetTimerPool();
        marketdata::LastDivSplitItems.clear();
        login();
    }

    void TearDown() override {
        refresh::resetTimerPool();
        os::messageLoop().reset();
        server_->stop();
        server_.reset();
        core::DBConnection.reset();
        core::AddInPath.clear();
        core::LogLevel = 0;
        core::WebsiteURL.clear();
        core::QuoteServiceURL = std::string(core::kDefaultQuoteServiceURL);
        core::WebRequestTimeout = std::chrono::milliseconds(30000);
        core::ConnectivityMessageShown = false;
        core::AutoUpdateMode = 0;
        core::LastLoginDate.clear();
        session::UserSessionKey.clear();
        session::ExFeedReferrer.clear();
        session::DivSplitProcessFlag.clear();
        marketdata::LastDivSplitItems.clear();
        excelevents::SelectedRowAlertID.clear();
        excelevents::SelectedRowSymbol.clear();
        forms::scriptedDriver().reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Logs the demo account in directly at the services and keeps the session's key and referrer.
    void login() {
        services::ServiceRequest request;
        request.path = "/datafeeder/Login.jsp";
        request.params = {{"UserID", "demo"}, {"Password", "demo"}};
        const services::ServiceAnswer answer = server_->backend().handle(request);
        xml::Document document;
        ASSERT_TRUE(document.loadXML(answer.body));
        session::UserSessionKey = document.selectSingleNode("zurovizout/SessionKey").text();
        session::ExFeedReferrer = document.selectSingleNode("zurovizout/Referrer").text();
        ASSERT_FALSE(session::UserSessionKey.empty());
    }

    void sql(const std::string& statement) { core::DBConnection->Execute(statement); }

    // The first column of every row of the query, as text ("<null>" for Null).
    std::vector<std::string> column(const std::string& query) {
        db::Recordset rows;
        rows.Open(query, *core::DBConnection);
        std::vector<std::string> values;
        for (; !rows.Eof(); rows.MoveNext()) {
            const base::Variant value = rows.Fields(0);
            values.push_back(value.isNull()     ? "<null>"
                             : value.isNumber() ? std::to_string(static_cast<long>(value.number()))
                             : value.isText()   ? value.text()
                                                : "<value>");
        }
        return values;
    }
    std::size_t count(const std::string& query) { return column(query).size(); }

    // Requests that reached the services on a path.
    std::vector<services::ServedRequest> requestsTo(const std::string& path) const {
        std::vector<services::ServedRequest> found;
        for (const services::ServedRequest& request : server_->backend().requests()) {
            if (request.path == path)
                found.push_back(request);
        }
        return found;
    }

    // The paths of the requests that reached the services after the fixture's login, in order.
    std::vector<std::string> servedPaths() const {
        std::vector<std::string> paths;
        for (const services::ServedRequest& request : server_->backend().requests()) {
            if (request.path != "/datafeeder/Login.jsp")
                paths.push_back(request.path);
        }
        return paths;
    }

    std::string log() const {
        std::ifstream file(folder_ / "KavexLog.txt");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
    std::unique_ptr<services::Server> server_;
};

}  // namespace kavex::addin::testing
