#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"

#include "platform/db/DataVersion.h"

namespace kavex::db {

namespace detail {
struct Database;
}

// The add-in's connection to its database file, ADO style. Open takes the Jet connection string
// ("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<path>;Jet OLEDB:Database Password=<pw>");
// the file must exist (it is never created here). Failures raise kavex::base::PlatformError with
// the numbers docs/database.md lists. Used on one thread.
class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;

    void Open(std::string_view connectionString);
    // 0 closed, 1 open (ADO's adStateClosed / adStateOpen).
    long State() const;
    // Runs one command (insert, update, delete, create, ...) and returns the number of rows it
    // changed (-1 for a query, whose rows are dropped).
    long Execute(std::string_view statement);
    // The same for a command whose "?" marks stand for the values given, in order: a text, a
    // number or Null each (anything else, or a count that does not match, raises the error of a
    // faulty command). A long text needs no
    // quoting then, and the command is prepared once for all values.
    long Execute(std::string_view statement, const std::vector<base::Variant>& values);
    // Closes the connection, rolling back an open transaction; recordsets still open on it are
    // closed with it. Closing a closed connection does nothing.
    void Close();

    // Transactions; BeginTrans returns the nesting level (1 for the outermost).
    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // Where the open connection's view of the data stands (see DataVersion); asks the file
    // whether another connection committed since, which costs one short read of its header.
    // Raises the closed-connection error when the connection is not open.
    db::DataVersion DataVersion();

    const std::string& ConnectionString() const { return connectionString_; }

  private:
    friend class Recordset;

    std::shared_ptr<detail::Database> database_;
    std::string connectionString_;
};

}  // namespace kavex::db
