#pragma once

#include <cstdint>

namespace kavex::db {

// Where a connection's view of its database file stands. Two versions read from the same open
// connection are equal only when nothing has changed the data in between: no write statement
// or transaction end through that connection, and no commit by any other connection (in this
// process or another) to the same file. Versions of different connections, or of one connection
// closed and opened again, are never equal. Whatever keeps something derived from the data may
// keep it for as long as the version it was read under still holds.
struct DataVersion {
    // Drawn from one process-wide sequence at each open and at each write through the connection.
    std::uint64_t own = 0;
    // What the database file tells of commits by any connection (its change counter, or with a
    // write-ahead log SQLite's count of other connections' commits).
    std::int64_t others = 0;

    bool operator==(const DataVersion&) const = default;
};

}  // namespace kavex::db
