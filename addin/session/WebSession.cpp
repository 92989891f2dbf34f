#include "addin/session/WebSession.h"

#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/core/WebTransport.h"
#include "addin/core/Workbooks.h"
#include "addin/marketdata/ExchangeFetch.h"
#include "addin/marketdata/QuoteFetch.h"
#include "addin/marketdata/TemplateListFetch.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/Variant.h"

namespace kavex::addin::session {

namespace {

using core::URLEncode;

std::string param(std::string_view name, const std::string& value) {
    return std::string(name) + "=" + URLEncode(value);
}

void logFailure(std::string_view procedure, const std::string& status,
                const std::string& description) {
    core::WriteLog(procedure, 1, "Error: " + status + " Description: " + description);
}

short shortOf(const std::string& text) {
    const base::Variant value(text);
    if (!base::IsNumeric(value)) {
        return 0;
    }
    const double number = base::CDbl(value);
    return number >= 0 && number <= 32767 ? static_cast<short>(number) : 0;
}

// Worst of two fetch statuses: a lost connection outweighs a failure, a failure a partial
// result.
std::string combined(const std::string& first, const std::string& second) {
    const auto rank = [](const std::string& status) {
        if (status == core::kStatusOK)
            return 0;
        if (status == core::kStatusPartialOK)
            return 1;
        if (status == core::kStatusConnectivityLost)
            return 3;
        return 2;
    };
    return rank(second) > rank(first) ? second : first;
}

}  // namespace

std::string LoginUser(const std::string& userId, const std::string& password,
                      std::string& description) {
    static constexpr std::string_view kProcedure = "LoginUser";
    xml::Document answer;
    std::string status = core::CallWebService(
        "Login.jsp", param("UserID", userId) + "&" + param("Password", password), answer,
        description);
    if (status == core::kStatusOK && core::AnswerElement(answer, "SessionKey").empty()) {
        status = std::string(core::kInvalidXml);
        description = "The login answer holds no session key.";
    }
    if (status != core::kStatusOK) {
        logFailure(kProcedure, status, description);
        return status;
    }
    UserSessionKey = core::AnswerElement(answer, "SessionKey");
    ExFeedReferrer = core::AnswerElement(answer, "Referrer");
    LoginUserID = core::AnswerElement(answer, "UserID");
    LoginDate = core::AnswerElement(answer, "LoginDate");
    DivSplitProcessFlag = core::AnswerElement(answer, "DivSplitProcessFlag");
    MinRefreshTime = shortOf(core::AnswerElement(answer, "MinRefreshTime"));
    BroadcastFile = core::AnswerElement(answer, "BroadcastFile");
    LatestVersion = core::AnswerElement(answer, "LatestVersion");
    DownloadFlag = core::AnswerElement(answer, "DownloadFlag");
    DownloadURL = core::AnswerElement(answer, "DownloadURL");
    core::WriteLog(kProcedure, 2, "Logged in as " + LoginUserID);
    return status;
}

std::string LogoutUser(const std::string& sessionKey, const std::string& reason,
                       std::string& description) {
    xml::Document answer;
    const std::string status = core::CallWebService(
        "Logout.jsp", param("SessionKey", sessionKey) + "&" + param("Reason", reason), answer,
        description);
    if (status != core::kStatusOK) {
        logFailure("LogoutUser", status, description);
    }
    return status;
}

std::string AuthenticateSession(const std::string& sessionKey, std::string& description) {
    xml::Document answer;
    const std::string status = core::CallWebService(
        "AuthenticateSession.jsp", param("SessionKey", sessionKey), answer, description);
    if (status != core::kStatusOK) {
        logFailure("AuthenticateSession", status, description);
    }
    return status;
}

std::string RegisterDummyUser(std::string& userId, std::string& password,
                              std::string& description) {
    xml::Document answer;
    std::string status = core::CallWebService("RegisterDummyUser.jsp", {}, answer, description);
    if (status == core::kStatusOK) {
        const std::string newUser = core::AnswerElement(answer, "UserID");
        if (newUser.empty()) {
            status = std::string(core::kInvalidXml);
            description = "The first-run answer holds no user id.";
        } else {
            userId = newUser;
            password = core::AnswerElement(answer, "Password");
        }
    }
    if (status != core::kStatusOK) {
        logFailure("RegisterDummyUser", status, description);
    }
    return status;
}

std::string AddUserAction(const std::string& sessionKey, short typeId, const std::string& /*arg1*/,
                          const std::string& arg2, const std::string& arg3,
                          const std::string& arg4) {
    xml::Document answer;
    std::string description;
    const std::string query = param("SessionKey", sessionKey) + "&" +
                              param("ActionType", std::to_string(typeId)) + "&" +
                              param("ActiveSheet", arg2) + "&" + param("PreviousSheet", arg3) +
                              "&" + param("Reason", arg4);
    const std::string status =
        core::CallWebService("UserActionInfo.jsp", query, answer, description);
    if (status != core::kStatusOK) {
        logFailure("AddUserAction", status, description);
    }
    return status;
}

std::string RefreshData(const std::string& sessionKey, const std::string& exchange,
                        const marketdata::SymbolList& symbolList, short actionValue,
                        const std::string& arg1, const std::string& arg2, const std::string& arg3,
                        const std::string& arg4, std::string& description) {
    static constexpr std::string_view kProcedure = "RefreshData";
    (void)actionValue;
    (void)arg4;
    core::WriteLog(kProcedure, 3, "Entering");
    std::string status = AuthenticateSession(sessionKey, description);
    if (status == core::kInvalidSession) {
        // The server ended the session: end it here too, so that the next data need logs in.
        ProcessLogoutUser(kLogoutSessionInvalid);
        return status;
    }
    if (status != core::kStatusOK) {
        return status;
    }

    const std::string templateCode{marketdata::TemplateCodeOfSheetKind(arg2)};
    if (!templateCode.empty()) {
        status = marketdata::FetchTemplateLists(templateCode, exchange, description);
    } else if (arg2 == core::kExchangeStats) {
        status = marketdata::FetchStockExchangeData(exchange, description);
    } else {
        status = marketdata::FetchStockSymbolData(symbolList, description);
        if (!exchange.empty()) {
            std::string exchangeDescription;
            const std::string exchangeStatus =
                marketdata::FetchStockExchangeData(exchange, exchangeDescription);
            if (exchangeStatus != core::kStatusOK && description.empty()) {
                description = exchangeDescription;
            }
            status = combined(status, exchangeStatus);
        }
    }
    if (status != core::kStatusOK) {
        logFailure(kProcedure, status, description);
    }

    refresh::FireDataFetchCommand(refresh::kCommandUserAction, "", base::Variant::missing(),
                                  refresh::kUserActionScreenRefresh, arg1, arg2, arg3,
                                  "Screen Refresh");
    core::WriteLog(kProcedure, 3, "Exiting");
    return status;
}

}  // namespace kavex::addin::session
