#include "platform/db/Database.h"

#include <sqlite3.h>

#include <array>
#include <cctype>
#include <optional>
#include <string>

#include "platform/base/Text.h"
#include "platform/db/Errors.h"
#include "platform/db/JetSql.h"
#include "platform/db/StoredDate.h"

namespace kavex::db::detail {

namespace {

ColumnKind kindOf(const char* declaredType) {
    const std::string type = base::toUpperAscii(declaredType == nullptr ? "" : declaredType);
    if (type.find("DATE") != std::string::npos || type.find("TIME") != std::string::npos) {
        return ColumnKind::Date;
    }
    if (type.find("BOOL") != std::string::npos || type.find("BIT") != std::string::npos ||
        type.find("YESNO") != std::string::npos) {
        return ColumnKind::Boolean;
    }
    return ColumnKind::Plain;
}

bool onlyBlanks(const char* text) {
    for (; *text != '\0'; ++text) {
        if (std::isspace(static_cast<unsigned char>(*text)) == 0) {
            return false;
        }
    }
    return true;
}

bool isTransactionControl(const char* sql) {
    std::string word;
    for (; *sql != '\0' && std::isspace(static_cast<unsigned char>(*sql)) != 0; ++sql) {
    }
    for (; *sql != '\0' && std::isalpha(static_cast<unsigned char>(*sql)) != 0; ++sql) {
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(*sql)));
    }
    return word == "BEGIN" || word == "COMMIT" || word == "END" || word == "ROLLBACK" ||
           word == "SAVEPOINT" || word == "RELEASE";
}

// One sequence for every connection of the process, so that no two opens, and no two states of
// one open, share a version.
std::uint64_t nextOwnVersion() {
    static std::uint64_t last = 0;
    return ++last;
}

// The write-ahead log's index header as the shared memory beside the file holds it
// (SQLite's documented WAL-index format: two copies of 48 bytes at its start, written second
// copy first, byte 12 telling whether it is set up). Nothing when the region is not there, is
// not set up, or a writer is changing it.
std::optional<LogIndexHeader> readLogIndexHeader(sqlite3_file* file) {
    constexpr int kRegionSize = 32768;  // SQLite's own size of a region of the index
    volatile void* region = nullptr;
    if (file->pMethods->iVersion < 2 ||
        file->pMethods->xShmMap(file, 0, kRegionSize, 0, &region) != SQLITE_OK ||
        region == nullptr) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const volatile unsigned char*>(region);
    LogIndexHeader first{};
    LogIndexHeader second{};
    for (std::size_t i = 0; i < first.size(); ++i) {
        first[i] = bytes[i];
    }
    file->pMethods->xShmBarrier(file);
    for (std::size_t i = 0; i < second.size(); ++i) {
        second[i] = bytes[second.size() + i];
    }
    if (first != second || first[12] == 0) {
        return std::nullopt;
    }
    return first;
}

}  // namespace

Statement::~Statement() {
    sqlite3_finalize(handle);
}

base::Variant Statement::value(int index) const {
    const int type = sqlite3_column_type(handle, index);
    if (type == SQLITE_NULL) {
        return base::Variant::null();
    }
    const ColumnKind kind = columns[static_cast<std::size_t>(index)].kind;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        const double number = sqlite3_column_double(handle, index);
        switch (kind) {
            case ColumnKind::Date:
                return base::Date{number};
            case ColumnKind::Boolean:
                return number != 0.0;
            case ColumnKind::Plain:
                return number;
        }
    }
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(handle, index));
    std::string text(bytes == nullptr ? "" : bytes,
                     static_cast<std::size_t>(sqlite3_column_bytes(handle, index)));
    if (kind == ColumnKind::Date) {
        if (auto parts = parseDateText(text)) {
            return toSerial(*parts);
        }
    }
    return text;
}

int Statement::find(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (base::equalsIgnoringCase(columns[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Database::Database(sqlite3* handle) : handle(handle), ownVersion(nextOwnVersion()) {}

Database::~Database() {
    close();
}

void Database::noteWrite() {
    ownVersion = nextOwnVersion();
}

std::int64_t Database::othersVersion() {
    // In the rollback journal's file format every commit counts up the change counter in the
    // file's header: one short read of the file tells, without a lock or a statement.
    sqlite3_file* file = nullptr;
    bool writeAheadLog = false;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK &&
        file != nullptr && file->pMethods != nullptr) {
        // Bytes 18 and 19: the format versions (2 = write-ahead log); 24 to 27: the counter.
        std::array<unsigned char, 10> header{};
        const int rc = file->pMethods->xRead(file, header.data(), header.size(), 18);
        if (rc == SQLITE_OK || rc == SQLITE_IOERR_SHORT_READ) {
            if (header[0] != 2 && header[1] != 2) {
                return (std::int64_t{header[6]} << 24) | (std::int64_t{header[7]} << 16) |
                       (std::int64_t{header[8]} << 8) | std::int64_t{header[9]};
            }
            writeAheadLog = true;
        }
    }
    // With a write-ahead log the counter stays; SQLite's own count of others' commits tells. It
    // takes a read transaction, which made a warm read of a cached quote 4.6 times as slow
    // (7.8 us against 1.7 us in the symbol_value_reader benchmark), so it is asked only when the
    // log's index header, which every connection to the file shares and every commit rewrites,
    // has moved since it was last asked.
    std::optional<LogIndexHeader> index;
    if (writeAheadLog) {
        index = readLogIndexHeader(file);
        if (index && lastLogIndex_ && *index == *lastLogIndex_) {
            return lastOthersVersion_;
        }
    }
    if (dataVersion_ == nullptr) {
        const int rc = sqlite3_prepare_v3(handle, "PRAGMA data_version", -1,
                                          SQLITE_PREPARE_PERSISTENT, &dataVersion_, nullptr);
        if (rc != SQLITE_OK) {
            raiseSqlite(rc, sqlite3_errmsg(handle));
        }
    }
    const int rc = sqlite3_step(dataVersion_);
    if (rc != SQLITE_ROW) {
        std::string message = sqlite3_errmsg(handle);
        sqlite3_reset(dataVersion_);
        raiseSqlite(rc, std::move(message));
    }
    // Kept apart from the counter's values, so that a switch of the journal mode moves it too.
    const std::int64_t version = -1 - sqlite3_column_int64(dataVersion_, 0);
    sqlite3_reset(dataVersion_);
    // The header was read before the count: a commit in between is seen again next time.
    lastLogIndex_ = index;
    lastOthersVersion_ = version;
    return version;
}

void Database::close() {
    if (handle == nullptr) {
        return;
    }
    idle_.clear();
    sqlite3_finalize(dataVersion_);
    dataVersion_ = nullptr;
    noteWrite();
    // Statements still held by recordsets keep the file open until they are finalised.
    sqlite3_close_v2(handle);
    handle = nullptr;
    transactionLevel = 0;
}

std::unique_ptr<Statement> Database::acquire(std::string_view text) {
    if (auto found = idle_.find(text); found != idle_.end()) {
        auto node = idle_.extract(found);
        return std::move(node.mapped());
    }
    // The database reads a statement up to its first NUL: what follows would be dropped without
    // a word and the cut statement run (a "delete ... where" without its condition).
    if (text.find('\0') != std::string_view::npos) {
        raise(errors::ErrorsInCommand, "Characters found after end of SQL statement.");
    }
    auto statement = std::make_unique<Statement>();
    statement->key = std::string(text);
    const std::string sql = jetToSqlite(text);
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(handle, sql.c_str(), static_cast<int>(sql.size() + 1),
                                      SQLITE_PREPARE_PERSISTENT, &statement->handle, &tail);
    if (rc != SQLITE_OK) {
        raiseSqlite(rc, sqlite3_errmsg(handle));
    }
    if (statement->handle == nullptr) {
        raise(errors::ErrorsInCommand,
              "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
              "'UPDATE'.");
    }
    if (tail != nullptr && !onlyBlanks(tail)) {
        raise(errors::ErrorsInCommand, "Characters found after end of SQL statement.");
    }
    statement->changesData = sqlite3_stmt_readonly(statement->handle) == 0 ||
                             isTransactionControl(sqlite3_sql(statement->handle));
    const int count = sqlite3_column_count(statement->handle);
    statement->columns.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(statement->handle, i);
        statement->columns.push_back(Column{name == nullptr ? "" : name,
                                            kindOf(sqlite3_column_decltype(statement->handle, i))});
    }
    return statement;
}

void Database::release(std::unique_ptr<Statement> statement) {
    if (!statement) {
        return;
    }
    sqlite3_reset(statement->handle);
    sqlite3_clear_bindings(statement->handle);
    if (handle == nullptr) {
        return;  // closed meanwhile: the statement is finalised here
    }
    if (idle_.count(statement->key) != 0) {
        return;  // a twin is cached already
    }
    if (idle_.size() >= kCacheLimit) {
        idle_.erase(idle_.begin());
    }
    const std::string_view key = statement->key;
    idle_.emplace(key, std::move(statement));
}

void Database::bind(Statement& statement, const std::vector<base::Variant>& values) {
    if (sqlite3_bind_parameter_count(statement.handle) != static_cast<int>(values.size())) {
        raise(errors::ErrorsInCommand, "The number of values does not match the command's marks.");
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        const base::Variant& value = values[i];
        int rc = SQLITE_OK;
        if (value.isNull()) {
            rc = sqlite3_bind_null(statement.handle, index);
        } else if (value.isText() && value.text().find('\0') != std::string::npos) {
            // As in a statement's text: what follows a NUL would be lost on the way back.
            raise(errors::ErrorsInCommand, "Characters found after end of SQL statement.");
        } else if (value.isText()) {
            rc = sqlite3_bind_text(statement.handle, index, value.text().data(),
                                   static_cast<int>(value.text().size()), SQLITE_STATIC);
        } else if (value.isNumber()) {
            rc = sqlite3_bind_double(statement.handle, index, value.number());
        } else {
            raise(errors::ErrorsInCommand, "A value of this type cannot stand for a mark.");
        }
        if (rc != SQLITE_OK) {
            raiseSqlite(rc, sqlite3_errmsg(handle));
        }
    }
}

bool Database::step(Statement& statement) {
    // Counted before it runs, so that a statement failing half-way counts too.
    if (statement.changesData) {
        noteWrite();
    }
    const int rc = sqlite3_step(statement.handle);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        // Ends the statement's read at once, so that a finished recordset holds no lock.
        sqlite3_reset(statement.handle);
        return false;
    }
    std::string message = sqlite3_errmsg(handle);
    sqlite3_reset(statement.handle);
    raiseSqlite(rc, std::move(message));
}

void Database::run(const char* sql) {
    // Transaction control: a rollback changes the data as much as a write.
    noteWrite();
    char* message = nullptr;
    const int rc = sqlite3_exec(handle, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string text = message != nullptr ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        raiseSqlite(rc, std::move(text));
    }
}

}  // namespace kavex::db::detail
