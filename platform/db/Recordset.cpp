#include "platform/db/Recordset.h"

#include <sqlite3.h>

#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Errors.h"

namespace kavex::db {

Recordset::Recordset() = default;
Recordset::~Recordset() {
    Close();
}
Recordset::Recordset(Recordset&&) noexcept = default;

Recordset& Recordset::operator=(Recordset&& other) noexcept {
    if (this != &other) {
        Close();
        database_ = std::move(other.database_);
        statement_ = std::move(other.statement_);
        eof_ = other.eof_;
        bof_ = other.bof_;
    }
    return *this;
}

void Recordset::Open(std::string_view statement, Connection& connection) {
    open(statement, connection, nullptr);
}

void Recordset::Open(std::string_view statement, Connection& connection,
                     const std::vector<base::Variant>& values) {
    open(statement, connection, &values);
}

void Recordset::open(std::string_view statement, Connection& connection,
                     const std::vector<base::Variant>* values) {
    if (State() == 1) {
        raise(errors::ObjectOpen, "Operation is not allowed when the object is open.");
    }
    Close();
    if (connection.State() != 1) {
        raise(errors::InvalidConnection,
              "The connection cannot be used to perform this operation. It is either closed or "
              "invalid in this context.");
    }
    const std::shared_ptr<detail::Database>& database = connection.database_;
    auto prepared = database->acquire(statement);
    if (values != nullptr) {
        try {
            database->bind(*prepared, *values);
        } catch (...) {
            database->release(std::move(prepared));
            throw;
        }
    }
    if (prepared->columns.empty()) {
        // A command run through a recordset: it runs, and the recordset stays closed.
        while (database->step(*prepared)) {
        }
        database->release(std::move(prepared));
        return;
    }
    const bool row = database->step(*prepared);  // on an error the statement is dropped
    database_ = database;
    statement_ = std::move(prepared);
    eof_ = !row;
    bof_ = !row;
}

long Recordset::State() const {
    return statement_ && database_->isOpen() ? 1 : 0;
}

void Recordset::requireOpen() const {
    if (State() != 1) {
        raise(errors::ObjectClosed, "Operation is not allowed when the object is closed.");
    }
}

void Recordset::requireCurrentRow() const {
    requireOpen();
    if (eof_) {
        raise(errors::NoCurrentRecord,
              "Either BOF or EOF is True, or the current record has been deleted. Requested "
              "operation requires a current record.");
    }
}

bool Recordset::Eof() const {
    requireOpen();
    return eof_;
}

bool Recordset::Bof() const {
    requireOpen();
    return bof_;
}

void Recordset::MoveNext() {
    requireCurrentRow();
    bof_ = false;
    step();
}

void Recordset::step() {
    try {
        eof_ = !database_->step(*statement_);
    } catch (...) {
        Close();
        throw;
    }
}

base::Variant Recordset::Fields(std::string_view name) const {
    requireCurrentRow();
    const int index = statement_->find(name);
    if (index < 0) {
        raise(errors::ItemNotFound,
              "Item cannot be found in the collection corresponding to the requested name or "
              "ordinal.");
    }
    return statement_->value(index);
}

base::Variant Recordset::Fields(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= FieldCount()) {
        raise(errors::ItemNotFound,
              "Item cannot be found in the collection corresponding to the requested name or "
              "ordinal.");
    }
    return statement_->value(index);
}

int Recordset::FieldCount() const {
    requireOpen();
    return static_cast<int>(statement_->columns.size());
}

std::string Recordset::FieldName(int index) const {
    requireOpen();
    if (index < 0 || index >= FieldCount()) {
        raise(errors::ItemNotFound,
              "Item cannot be found in the collection corresponding to the requested name or "
              "ordinal.");
    }
    return statement_->columns[static_cast<std::size_t>(index)].name;
}

long Recordset::RecordCount() const {
    requireOpen();
    return -1;
}

void Recordset::Close() {
    if (statement_) {
        database_->release(std::move(statement_));
    }
    database_.reset();
    eof_ = true;
    bof_ = true;
}

}  // namespace kavex::db
