#pragma once

#include <map>
#include <optional>
#include <string>

namespace kavex::services {

// One GET request as the services see it, free of the HTTP library: the path, the decoded query
// parameters and the Referer header.
struct ServiceRequest {
    std::string path;
    std::multimap<std::string, std::string> params;
    std::string referer;

    // The first value of a parameter; the name is compared exactly.
    std::optional<std::string> param(const std::string& name) const {
        const auto found = params.find(name);
        if (found == params.end()) {
            return std::nullopt;
        }
        return found->second;
    }
};

// What the services answer.
struct ServiceAnswer {
    int status = 200;
    std::string contentType = "text/xml; charset=utf-8";
    std::string body;
};

}  // namespace kavex::services
