#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"

namespace kavex::db {

class Connection;

namespace detail {
struct Database;
struct Statement;
}  // namespace detail

// A read-only, forward-only result of one query, ADO style. Open runs the query and stands on the
// first row; Eof() is True once the rows are used up (at once for an empty result). Fields reads
// the current row by column name (without regard to case) or position as a Variant: Null for
// SQL NULL, Date for date columns, Boolean for Yes/No columns, Number or Text otherwise.
class Recordset {
  public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    // A statement that returns no rows (an insert) runs and leaves the recordset closed, as ADO.
    void Open(std::string_view statement, Connection& connection);
    // The same for a query whose "?" marks stand for the values given, in order, as
    // Connection::Execute takes them: the query is prepared once for all values.
    void Open(std::string_view statement, Connection& connection,
              const std::vector<base::Variant>& values);
    // 0 closed, 1 open; a recordset whose connection was closed is closed.
    long State() const;

    // ADO's EOF and BOF.
    bool Eof() const;
    bool Bof() const;
    void MoveNext();

    base::Variant Fields(std::string_view name) const;
    base::Variant Fields(int index) const;
    int FieldCount() const;
    std::string FieldName(int index) const;

    // -1: a forward-only cursor does not know its count.
    long RecordCount() const;

    void Close();

  private:
    // values is null for a statement given without values, whose marks stay unbound (Null).
    void open(std::string_view statement, Connection& connection,
              const std::vector<base::Variant>* values);
    void requireOpen() const;
    void requireCurrentRow() const;
    void step();

    std::shared_ptr<detail::Database> database_;
    std::unique_ptr<detail::Statement> statement_;
    bool eof_ = true;
    bool bof_ = true;
};

}  // namespace kavex::db
