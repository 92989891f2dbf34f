#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/Variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kavex::db::detail {

// The write-ahead log's index header, as every connection to the file shares it.
using LogIndexHeader = std::array<unsigned char, 48>;

// How a column's values are handed out, from its declared type.
enum class ColumnKind { Plain, Date, Boolean };

struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Plain;
};

// One prepared statement and what is known of its columns. The key is the statement's text as
// the caller wrote it (before the Jet rewriting), so a repeated look-up skips the rewriting too.
struct Statement {
    Statement() = default;
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    std::string key;
    sqlite3_stmt* handle = nullptr;
    std::vector<Column> columns;
    // Running it may change the data: a write, or transaction control (which SQLite counts as
    // read-only although a rollback undoes writes).
    bool changesData = false;

    // The value of a column of the current row.
    base::Variant value(int index) const;
    // The column's index by name without regard to case; -1 when there is none.
    int find(std::string_view name) const;
};

// An open database file and its cache of prepared statements. A statement in use by a recordset
// is taken out of the cache and put back when the recordset closes, so two recordsets never share
// one. Closing finalises the idle statements; those still out are finalised when returned.
struct Database {
    explicit Database(sqlite3* handle);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool isOpen() const { return handle != nullptr; }
    void close();

    // A prepared statement for the text, from the cache or freshly prepared; raises the
    // database's error when the text does not prepare.
    std::unique_ptr<Statement> acquire(std::string_view text);
    // Resets the statement, clears its bound values and keeps it for the next use of the same
    // text.
    void release(std::unique_ptr<Statement> statement);

    // Binds the values, in order, to the statement's "?" marks: a text, a number or Null each.
    // Raises the error of a faulty command for a count that does not match the marks, a value of
    // another type or a text holding a NUL character; the bindings are then left half made, and
    // release() clears them.
    void bind(Statement& statement, const std::vector<base::Variant>& values);

    // Steps the statement; true for a row, false when done. On an error the statement is reset
    // and the error raised.
    bool step(Statement& statement);

    // Runs a statement of the layer's own (transaction control), outside the cache.
    void run(const char* sql);

    // Marks a change of the data through this connection: a new value of ownVersion.
    void noteWrite();
    // What the file tells of commits by other connections as of now (see DataVersion).
    std::int64_t othersVersion();

    sqlite3* handle = nullptr;
    int transactionLevel = 0;
    // Drawn from one process-wide sequence at open and at every write (noteWrite).
    std::uint64_t ownVersion = 0;

  private:
    static constexpr std::size_t kCacheLimit = 256;

    std::unordered_map<std::string_view, std::unique_ptr<Statement>> idle_;
    sqlite3_stmt* dataVersion_ = nullptr;
    // The log's index header when others' commits were last counted, and that count.
    std::optional<LogIndexHeader> lastLogIndex_;
    std::int64_t lastOthersVersion_ = 0;
};

}  // namespace kavex::db::detail
