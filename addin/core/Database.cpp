#include "addin/core/Database.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::core {

namespace {

// The connection, opened when it is not open yet; nullptr when it still is not.
db::Connection* openConnection() {
    if (!DBConnection || DBConnection->State() == 0) {
        OpenDBConnection();
    }
    if (!DBConnection || DBConnection->State() == 0) {
        return nullptr;
    }
    return DBConnection.get();
}

// A whole number within [low, high] read from a configuration value; nullopt otherwise.
std::optional<short> wholeNumber(const std::string& value, short low, short high) {
    const base::Variant text(value);
    if (!base::IsNumeric(text)) {
        return std::nullopt;
    }
    const double number = base::CDbl(text);
    if (number != static_cast<double>(static_cast<long long>(number)) || number < low ||
        number > high) {
        return std::nullopt;
    }
    return static_cast<short>(number);
}

}  // namespace

void OpenDBConnection() {
    const std::string path = AddInPath + kDatabaseFileName;
    DBConnection = std::make_unique<db::Connection>();
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        WriteLog("OpenDBConnection", 1, "Database " + path + " file does not exist.");
        return;
    }
    try {
        DBConnection->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + path +
                           "\";Jet OLEDB:Database Password=" + kDatabasePassword);
    } catch (const std::exception& e) {
        WriteLog("OpenDBConnection", 1,
                 "Error while opening database " + path + " Error : " + ErrorText(e));
    }
}

std::string GetConfigSetting(const std::string& key) {
    try {
        db::Connection* connection = openConnection();
        if (connection == nullptr) {
            return {};
        }
        db::Recordset rs;
        rs.Open("select ConfigValue from ConfigSettings where ConfigKey=" + SqlQuoted(key),
                *connection);
        std::string value;
        if (!rs.Eof()) {
            const base::Variant field = rs.Fields("ConfigValue");
            if (!field.isNull()) {
                value = base::CStr(field);
            }
        }
        rs.Close();
        return value;
    } catch (const std::exception& e) {
        WriteLog("GetConfigSetting", 1,
                 "Error while reading the setting " + key + " Error description : " + ErrorText(e));
        return {};
    }
}

bool FetchConfigSettings() {
    std::map<std::string, std::string> values;
    try {
        db::Connection* connection = openConnection();
        if (connection == nullptr) {
            WriteLog("FetchConfigSettings", 1,
                     "Error while reading the configuration Error description : the database is "
                     "not open");
            return false;
        }
        db::Recordset rs;
        rs.Open("select ConfigKey, ConfigValue from ConfigSettings", *connection);
        while (!rs.Eof()) {
            const base::Variant key = rs.Fields("ConfigKey");
            const base::Variant value = rs.Fields("ConfigValue");
            if (!key.isNull()) {
                values[base::toUpperAscii(base::CStr(key))] =
                    value.isNull() ? std::string() : base::CStr(value);
            }
            rs.MoveNext();
        }
        rs.Close();
    } catch (const std::exception& e) {
        WriteLog("FetchConfigSettings", 1,
                 "Error while reading the configuration Error description : " + ErrorText(e));
        return false;
    }

    // All rows are read before any mirror changes, so a failed read leaves them as they were.
    const auto found = [&](const char* key) -> const std::string* {
        const auto it = values.find(key);
        return it == values.end() ? nullptr : &it->second;
    };
    constexpr short maxShort = std::numeric_limits<short>::max();
    const auto setShort = [&](const char* key, short& mirror, short low, short high) {
        if (const std::string* value = found(key)) {
            if (const auto number = wholeNumber(*value, low, high)) {
                mirror = *number;
            }
        }
    };
    setShort("LOG_LEVEL", LogLevel, 0, maxShort);
    if (const std::string* value = found("DECIMAL_PLACE")) {
        if (const auto decimals = wholeNumber(*value, 0, 4)) {
            SetDecimalPlaces(*decimals);
        }
    }
    setShort("AUTOUPDATE_MODE", AutoUpdateMode, 0, 1);
    setShort("DATA_REFRESH_INTERVAL", DataRefreshInterval, 0, maxShort);
    setShort("TOP_VOL_LEADERS", TopVolLeaders, 0, maxShort);
    setShort("TOP_PRICE_GAINERS", TopPriceGainers, 0, maxShort);
    setShort("TOP_PRICE_LOSERS", TopPriceLosers, 0, maxShort);
    if (const std::string* value = found("LAST_LOGIN_DATE")) {
        LastLoginDate = *value;
    }
    if (const std::string* value = found("WEBSITE_URL")) {
        std::string url = *value;
        while (!url.empty() && url.back() == '/') {
            url.pop_back();
        }
        WebsiteURL = url;
    }
    return true;
}

bool UpdateConfigSettings(const std::vector<std::string>& keys,
                          const std::vector<std::string>& values) {
    const std::size_t count = std::min(keys.size(), values.size());
    db::Connection* connection = nullptr;
    bool inTransaction = false;
    try {
        connection = openConnection();
        if (connection == nullptr) {
            WriteLog("UpdateConfigSettings", 1,
                     "Error while updating the configuration Error description : the database is "
                     "not open");
            return false;
        }
        // All keys or none: a half-written set of settings would mix two sessions.
        connection->BeginTrans();
        inTransaction = true;
        for (std::size_t i = 0; i < count; ++i) {
            connection->Execute("update ConfigSettings set ConfigValue=" + SqlQuoted(values[i]) +
                                " where ConfigKey=" + SqlQuoted(keys[i]));
        }
        connection->CommitTrans();
        return true;
    } catch (const std::exception& e) {
        if (inTransaction) {
            try {
                connection->RollbackTrans();
            } catch (...) {
            }
        }
        WriteLog("UpdateConfigSettings", 1,
                 "Error while updating the configuration Error description : " + ErrorText(e));
        return false;
    }
}

std::string BuildPriceFormat(short decimals) {
    std::string pattern = "$###,###,##0";
    if (decimals > 0) {
        pattern += '.';
        pattern.append(static_cast<std::size_t>(decimals), '0');
    }
    return pattern;
}

void SetDecimalPlaces(short decimals) {
    DecimalPlaces = decimals;
    PriceFormat = BuildPriceFormat(decimals);
}

}  // namespace kavex::addin::core
