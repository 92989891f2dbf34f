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

std::string SqlQuoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

std::string UrlEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~';
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string ErrorText(const std::exception& error) {
    if (const auto* platform = dynamic_cast<const base::PlatformError*>(&error))
        return "(" + std::to_string(platform->number()) + ") " + platform->description();
    return std::string("(-1) ") + error.what();
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
