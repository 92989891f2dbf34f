#pragma once

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

#include "services/Accounts.h"
#include "services/HttpExchange.h"
#include "services/MarketModel.h"
#include "services/UserAction.h"

namespace kavex::services {

inline constexpr std::string_view webServicePrefix = "/datafeeder/";

// The error codes of the web service.
inline constexpr std::string_view invalidXml = "invalid_xml";
inline constexpr std::string_view invalidSession = "invalid_session";
inline constexpr std::string_view invalidLogin = "invalid_login";
inline constexpr std::string_view invalidAlert = "invalid_alert";

// What the web service's pages read and change. The caller holds the lock.
struct WebServiceState {
    Accounts& accounts;
    std::vector<UserAction>& actions;
    const MarketModel& market;
    std::chrono::system_clock::time_point now;
    // The invalid-session fault: no session is recognised.
    bool sessionsRefused = false;
};

// True for a page the web service serves ("/datafeeder/Login.jsp", ...).
bool isWebServicePage(std::string_view path);
// The answer of one of its pages; the path must be one that isWebServicePage() accepts.
ServiceAnswer answerWebService(const ServiceRequest& request, WebServiceState& state);

}  // namespace kavex::services
