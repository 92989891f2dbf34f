#include "addin/marketdata/CacheSupport.h"

#include <optional>

#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/db/Clock.h"

namespace kavex::addin::marketdata {

db::Connection& CacheConnection() {
    if (!core::DBConnection || core::DBConnection->State() == 0)
        core::OpenDBConnection();
    if (!core::DBConnection)
        throw base::PlatformError(91, "Object variable or With block variable not set");
    return *core::DBConnection;
}

long FreshnessSeconds(const std::string& key, long fallback) {
    const std::string text = core::GetConfigSetting(key);
    const std::optional<double> number = base::parseNumber(text);
    if (!number || *number < 0 || *number > 86400.0 * 366)
        return fallback;
    return static_cast<long>(*number);
}

bool IsDue(const base::Variant& lastCheckDate, long freshSeconds) {
    if (!lastCheckDate.isDate())
        return true;
    const double age = (db::clockNow().serial - lastCheckDate.date().serial) * 86400.0;
    // Stamps are kept to the nearest second, so a fresh one may lie up to half a second ahead.
    // A check stamped further in the future (a clock set back) counts as due rather than fresh
    // forever.
    constexpr double kStampResolutionSeconds = 1.0;
    return age < -kStampResolutionSeconds || age >= static_cast<double>(freshSeconds);
}

CacheTransaction::CacheTransaction(db::Connection& connection) : connection_(connection) {
    connection_.BeginTrans();
}

CacheTransaction::~CacheTransaction() {
    if (!open_)
        return;
    try {
        connection_.RollbackTrans();
    } catch (...) {
        // The connection went away with its transaction; nothing is left to undo.
    }
}

void CacheTransaction::commit() {
    connection_.CommitTrans();
    open_ = false;
}

}  // namespace kavex::addin::marketdata
