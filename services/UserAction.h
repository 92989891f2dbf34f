#pragma once

#include <string>

namespace kavex::services {

// One entry of the web service's action log: a user-action report (type "2" to "12", as the
// add-in numbers them), or a login ("login") or logout ("logout", the reason being the logout
// reason) seen by the web service.
struct UserAction {
    std::string type;
    std::string reason;
    std::string activeSheet;
    std::string previousSheet;
    std::string userId;
};

}  // namespace kavex::services
