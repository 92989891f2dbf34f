#include "platform/db/Connection.h"

#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "platform/db/Clock.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Database.h"
#include "platform/db/Errors.h"
#include "platform/db/StoredDate.h"

namespace kavex::db {

namespace {

constexpr const char* kInvalidConnection =
    "The connection cannot be used to perform this operation. It is either closed or invalid in "
    "this context.";

void resultText(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Jet's Now(): the clock's date and time in the stored form.
void sqlNow(sqlite3_context* context, int, sqlite3_value**) {
    resultText(context, formatStoredDate(clockNow()));
}

// Jet's Date(): today at midnight in the stored form.
void sqlDate(sqlite3_context* context, int, sqlite3_value**) {
    resultText(context, formatStoredDate(base::Date{std::floor(clockNow().serial)}));
}

// Commits go to a write-ahead log beside the file, and the disk is waited for only when the log
// is copied back into the file (a checkpoint: about every 4 MB of changes, and when the last
// connection closes), not at every commit. A worksheet function that meets a new symbol commits
// its row on its own, and with the rollback journal at full synchronisation each such commit
// waited four times for the disk (docs/database.md has the measurements). A commit stays atomic
// and the file consistent whatever happens; a machine that loses its power may lose the commits
// since the last checkpoint. Where the log cannot be used (a read-only file, another program
// keeping the file locked meanwhile) the rollback journal at full synchronisation stays: lighter
// synchronisation would not keep that journal's file consistent.
void useWriteAheadLog(sqlite3* handle) {
    bool wal = false;
    sqlite3_exec(
        handle, "PRAGMA journal_mode = WAL",
        [](void* out, int columns, char** values, char**) {
            *static_cast<bool*>(out) =
                columns == 1 && values[0] != nullptr && sqlite3_stricmp(values[0], "wal") == 0;
            return 0;
        },
        &wal, nullptr);
    if (wal) {
        sqlite3_exec(handle, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    }
}

// Opens the file for reading and writing, never creating it.
sqlite3* openFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        raise(errors::Unspecified, "Could not find file '" + path + "'.");
    }
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
        sqlite3_close_v2(handle);
        raise(errors::Unspecified, message + " (" + path + ")");
    }
    // SQLite reads the file lazily: make it show now whether this is a database at all.
    char* message = nullptr;
    const int check =
        sqlite3_exec(handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message);
    if (check != SQLITE_OK) {
        std::string text = message != nullptr ? message : sqlite3_errstr(check);
        sqlite3_free(message);
        sqlite3_close_v2(handle);
        raise(errors::Unspecified, text + " (" + path + ")");
    }
    sqlite3_busy_timeout(handle, 5000);
    // Room for the pages a large write changes (a sheet's quotes stored together are thousands of
    // pages): with SQLite's default of 2 MB the changed pages spill into the file before the
    // commit, each spill one more write and wait on the disk. Memory is taken only as pages are
    // used. The commit, and what it keeps when the program dies, stay as they are.
    sqlite3_exec(handle, "PRAGMA cache_size = -16000", nullptr, nullptr, nullptr);
    useWriteAheadLog(handle);
    sqlite3_create_function_v2(handle, "now", 0, SQLITE_UTF8, nullptr, sqlNow, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(handle, "date", 0, SQLITE_UTF8, nullptr, sqlDate, nullptr, nullptr,
                               nullptr);
    return handle;
}

}  // namespace

Connection::Connection() = default;
Connection::~Connection() {
    Close();
}
Connection::Connection(Connection&&) noexcept = default;

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        Close();
        database_ = std::move(other.database_);
        connectionString_ = std::move(other.connectionString_);
    }
    return *this;
}

void Connection::Open(std::string_view connectionString) {
    if (State() == 1) {
        raise(errors::ObjectOpen, "Operation is not allowed when the object is open.");
    }
    const ConnectionSettings settings = parseConnectionString(connectionString);
    database_ = std::make_shared<detail::Database>(openFile(settings.dataSource));
    connectionString_ = std::string(connectionString);
}

long Connection::State() const {
    return database_ && database_->isOpen() ? 1 : 0;
}

long Connection::Execute(std::string_view statement) {
    if (State() != 1) {
        raise(errors::InvalidConnection, kInvalidConnection);
    }
    auto prepared = database_->acquire(statement);
    const sqlite3_int64 before = sqlite3_total_changes64(database_->handle);
    while (database_->step(*prepared)) {
    }
    const bool query = !prepared->columns.empty();
    const sqlite3_int64 changed = sqlite3_total_changes64(database_->handle) - before;
    database_->release(std::move(prepared));
    return query ? -1 : static_cast<long>(changed);
}

db::DataVersion Connection::DataVersion() {
    if (State() != 1) {
        raise(errors::InvalidConnection, kInvalidConnection);
    }
    return {database_->ownVersion, database_->othersVersion()};
}

long Connection::Execute(std::string_view statement, const std::vector<base::Variant>& values) {
    if (State() != 1) {
        raise(errors::InvalidConnection, kInvalidConnection);
    }
    auto prepared = database_->acquire(statement);
    const sqlite3_int64 before = sqlite3_total_changes64(database_->handle);
    try {
        database_->bind(*prepared, values);
        while (database_->step(*prepared)) {
        }
    } catch (...) {
        database_->release(std::move(prepared));
        throw;
    }
    const bool query = !prepared->columns.empty();
    const sqlite3_int64 changed = sqlite3_total_changes64(database_->handle) - before;
    database_->release(std::move(prepared));
    return query ? -1 : static_cast<long>(changed);
}

void Connection::Close() {
    if (database_) {
        database_->close();
        database_.reset();
    }
}

long Connection::BeginTrans() {
    if (State() != 1) {
        raise(errors::InvalidConnection, kInvalidConnection);
    }
    const int level = database_->transactionLevel + 1;
    if (level == 1) {
        database_->run("BEGIN");
    } else {
        database_->run(("SAVEPOINT kavex_level" + std::to_string(level)).c_str());
    }
    database_->transactionLevel = level;
    return level;
}

namespace {

// SQLite ends a transaction by itself after some failures (a full disk, an I/O error); the level
// kept here then no longer holds.
bool transactionLost(const detail::Database& database) {
    return database.transactionLevel > 0 && sqlite3_get_autocommit(database.handle) != 0;
}

}  // namespace

void Connection::CommitTrans() {
    if (State() != 1) {
        raise(errors::InvalidConnection, kInvalidConnection);
    }
    if (transactionLost(*database_)) {
        database_->transactionLevel = 0;
        raise(errors::Unspecified,
              "The transaction was rolled back by the database after an earlier error.");
    }
    const int level = database_->transactionLevel;
    if (level == 0) {
        raise(errors::NoTransaction, "No transaction is active.");
    }
    if (level == 1) {
        database_->run("COMMIT");
    } else {
        database_->run(("RELEASE kavex_level" + std::to_string(level)).c_str());
    }
    database_->transactionLevel = level - 1;
}

void Connection::RollbackTrans() {
    if (State() != 1) {
        raise(errors::InvalidConnection, kInvalidConnection);
    }
    if (transactionLost(*database_)) {
        database_->transactionLevel = 0;
        return;
    }
    const int level = database_->transactionLevel;
    if (level == 0) {
        raise(errors::NoTransaction, "No transaction is active.");
    }
    if (level == 1) {
        database_->run("ROLLBACK");
    } else {
        const std::string name = "kavex_level" + std::to_string(level);
        database_->run(("ROLLBACK TO " + name + "; RELEASE " + name).c_str());
    }
    database_->transactionLevel = level - 1;
}

}  // namespace kavex::db
