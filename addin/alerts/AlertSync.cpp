#include "addin/alerts/AlertSync.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/core/WebTransport.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/session/Session.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"
#include "platform/xml/Document.h"

namespace kavex::addin::alerts {

using marketdata::CacheConnection;
using marketdata::CacheTransaction;
using marketdata::SqlQuoted;

namespace {

constexpr const char* kProcedure = "SyncAlerts";

// The notification flags of an alert, '1' on and '0' off, in the table's column order.
constexpr const char* kFlagColumns[] = {"NotifyVisuallyFlag", "NotifyEmailFlag", "NotifySMSFlag"};
constexpr std::size_t kFlagCount = std::size(kFlagColumns);

struct AlertRow {
    std::string symbol;
    std::string flags[kFlagCount];
};

std::string childText(const xml::Node& element, std::string_view name) {
    const xml::Node child = element.selectSingleNode(name);
    return child ? child.text() : std::string();
}

std::map<std::string, AlertRow> localAlerts(db::Connection& db) {
    std::map<std::string, AlertRow> alerts;
    db::Recordset rows;
    rows.Open(
        "SELECT AlertID, Symbol, NotifyVisuallyFlag, NotifyEmailFlag, NotifySMSFlag FROM "
        "AQ_Alert",
        db);
    for (; !rows.Eof(); rows.MoveNext()) {
        AlertRow row;
        row.symbol = rows.Fields("Symbol").isText() ? rows.Fields("Symbol").text() : "";
        for (std::size_t i = 0; i < kFlagCount; ++i) {
            const base::Variant flag = rows.Fields(kFlagColumns[i]);
            row.flags[i] = flag.isText() ? flag.text() : "0";
        }
        // Alert ids compare without regard to case, as the table's key does.
        alerts.emplace(base::toUpperAscii(rows.Fields("AlertID").text()), std::move(row));
    }
    rows.Close();
    return alerts;
}

// Writes the service's list into the table: all or nothing.
void applyAlerts(const xml::Document& answer) {
    db::Connection& db = CacheConnection();
    const std::map<std::string, AlertRow> local = localAlerts(db);
    CacheTransaction transaction(db);
    std::vector<std::string> kept;
    for (const xml::Node& alert : answer.selectNodes("zurovizout/Alerts/Alert")) {
        const std::string id = core::TrimWhitespace(childText(alert, "AlertID"));
        const std::string symbol = core::TrimWhitespace(childText(alert, "Symbol"));
        if (id.empty() || symbol.empty())
            continue;
        const std::string key = base::toUpperAscii(id);
        if (std::find(kept.begin(), kept.end(), key) != kept.end())
            continue;  // the same alert listed twice: its first entry counts
        kept.push_back(key);
        const auto existing = local.find(key);
        std::string flags[kFlagCount];
        for (std::size_t i = 0; i < kFlagCount; ++i) {
            // A flag the service does not send keeps its local value ('0' for a new alert).
            const xml::Node sent = alert.selectSingleNode(kFlagColumns[i]);
            if (sent)
                flags[i] = core::TrimWhitespace(sent.text()) == "1" ? "1" : "0";
            else
                flags[i] = existing != local.end() ? existing->second.flags[i] : "0";
        }
        if (existing != local.end()) {
            db.Execute("UPDATE AQ_Alert SET Symbol = " + SqlQuoted(symbol) +
                       ", NotifyVisuallyFlag = " + SqlQuoted(flags[0]) + ", NotifyEmailFlag = " +
                       SqlQuoted(flags[1]) + ", NotifySMSFlag = " + SqlQuoted(flags[2]) +
                       " WHERE AlertID = " + SqlQuoted(id));
        } else {
            db.Execute(
                "INSERT INTO AQ_Alert(AlertID, Symbol, NotifyVisuallyFlag, NotifyEmailFlag, "
                "NotifySMSFlag) VALUES(" +
                SqlQuoted(id) + ", " + SqlQuoted(symbol) + ", " + SqlQuoted(flags[0]) + ", " +
                SqlQuoted(flags[1]) + ", " + SqlQuoted(flags[2]) + ")");
        }
    }
    for (const auto& [key, row] : local) {
        if (std::find(kept.begin(), kept.end(), key) == kept.end())
            db.Execute("DELETE FROM AQ_Alert WHERE AlertID = " + SqlQuoted(key));
    }
    transaction.commit();
}

}  // namespace

base::Variant SyncAlerts() {
    std::string status;
    std::string description;
    try {
        core::WriteLog(kProcedure, 3, "Entering SyncAlerts");
        xml::Document answer;
        status = core::CallWebService("SyncAlerts.jsp",
                                      "SessionKey=" + core::URLEncode(session::UserSessionKey),
                                      answer, description);
        if (status == core::kStatusOK)
            applyAlerts(answer);
    } catch (const base::PlatformError& error) {
        status = core::kStatusFail;
        description = "(" + std::to_string(error.number()) + ") " + error.description();
    } catch (const std::exception& error) {
        status = core::kStatusFail;
        description = error.what();
    }
    if (status != core::kStatusOK)
        core::WriteLog(kProcedure, 1,
                       "Error while synchronising the alerts. Error Code : " + status +
                           " Error Description : " + description);
    core::WriteLog(kProcedure, 3, "Exiting SyncAlerts");
    return base::Variant(status);
}

}  // namespace kavex::addin::alerts
