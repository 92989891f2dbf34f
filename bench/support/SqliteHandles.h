#pragma once
// SQLite's connection and statement handles held by their owners, closed and finalized when the
// owner goes.

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace kavex::bench {

struct CloseDatabase {
    void operator()(sqlite3* handle) const { sqlite3_close(handle); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// The existing database file, opened for reading and writing by one thread, with room for the
// pages of a few thousand quotes in memory.
inline DatabaseHandle openDatabase(const std::filesystem::path& path) {
    sqlite3* handle = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &handle,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    DatabaseHandle database(handle);
    if (opened != SQLITE_OK) {
        throw std::runtime_error("cannot open " + path.string());
    }
    sqlite3_exec(handle, "PRAGMA cache_size = -16000", nullptr, nullptr, nullptr);
    return database;
}

inline StatementHandle prepare(sqlite3* handle, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    if (statement == nullptr) {
        throw std::runtime_error(sqlite3_errmsg(handle));
    }
    return StatementHandle(statement);
}

}  // namespace kavex::bench
