#pragma once

#include <string>
#include <string_view>

namespace kavex::db {

// What the layer takes from a Jet connection string.
struct ConnectionSettings {
    std::string provider;    // as written; empty when absent
    std::string dataSource;  // the database file
    std::string password;    // accepted; a SQLite file is not encrypted
};

// "key=value;key=value": keys without regard to case and surrounding blanks, values trimmed and
// optionally double-quoted. Raises error 3001 for a string without Data Source or with a part that
// is not key=value, 3706 for a provider other than Jet 4.0.
ConnectionSettings parseConnectionString(std::string_view text);

}  // namespace kavex::db
