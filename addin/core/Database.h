#pragma once

#include <string>
#include <vector>

namespace kavex::addin::core {

// The database file's name in the add-in's folder, and the password its connection string
// carries.
inline constexpr const char* kDatabaseFileName = "Kavex.mdb";
inline constexpr const char* kDatabasePassword = "kavex";

// Creates a new connection in DBConnection to Kavex.mdb in the add-in's folder and opens it when
// the file exists; when it does not, logs "Database <path> file does not exist." at level 1 and
// leaves the connection unopened, so the caller's next statement fails on its own error path.
// A file that exists but cannot be opened is logged at level 1 the same way; nothing is thrown.
void OpenDBConnection();

// Loads the ConfigSettings rows into the configuration mirrors (WebsiteURL, DecimalPlaces and
// PriceFormat, AutoUpdateMode, DataRefreshInterval, LastLoginDate, the three top-list lengths,
// LogLevel). Opens the connection when needed. A key that is missing or holds a value that does
// not convert keeps its mirror as it was. Returns False (logged at level 1) when the table could
// not be read; the mirrors are then unchanged.
bool FetchConfigSettings();

// The value of one ConfigSettings key; the empty text when there is no such row, the value is
// Null, or the table cannot be read (logged at level 1).
std::string GetConfigSetting(const std::string& key);

// Writes each value to its ConfigSettings row (update only: a key without a row is not added).
// The arrays have the same length; extra entries of the longer one are ignored. All keys are
// written or none: returns False (logged at level 1) when a statement failed, and nothing
// changed.
bool UpdateConfigSettings(const std::vector<std::string>& keys,
                          const std::vector<std::string>& values);

// Sets DecimalPlaces and rebuilds PriceFormat: "$###,###,##0" followed, for decimals above 0, by
// "." and that many zeros.
void SetDecimalPlaces(short decimals);
std::string BuildPriceFormat(short decimals);

}  // namespace kavex::addin::core
