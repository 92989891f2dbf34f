#pragma once
// New quotes stored into a database file between two measured passes, as a fetch stores the
// answers of the quote service: one transaction that replaces the documents of the symbols, made
// through a connection of its own, so that the add-in's connection sees the data change as it
// sees another program's commit.

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/SqliteHandles.h"

namespace kavex::bench {

class QuoteStore {
  public:
    explicit QuoteStore(const std::filesystem::path& database)
        : handle_(openDatabase(database)),
          update_(prepare(handle_.get(),
                          "UPDATE AQ_StockSymbolData SET SymbolData = ? WHERE Symbol = ?")) {
        // The stored quotes are scratch data: the file need not survive a crash of the machine.
        run("PRAGMA synchronous=OFF");
    }

    // Replaces the stored document of each symbol with document(symbol).
    void replace(const std::vector<std::string>& symbols,
                 const std::function<std::string(const std::string&)>& document) {
        run("BEGIN");
        for (const std::string& symbol : symbols) {
            const std::string text = document(symbol);
            sqlite3_bind_text(update_.get(), 1, text.data(), static_cast<int>(text.size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(update_.get(), 2, symbol.data(), static_cast<int>(symbol.size()),
                              SQLITE_STATIC);
            const int rc = sqlite3_step(update_.get());
            sqlite3_reset(update_.get());
            if (rc != SQLITE_DONE || sqlite3_changes(handle_.get()) != 1) {
                run("ROLLBACK");
                throw std::runtime_error("no stored quote of " + symbol);
            }
        }
        run("COMMIT");
    }

  private:
    void run(const char* sql) {
        if (sqlite3_exec(handle_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(handle_.get()));
        }
    }

    DatabaseHandle handle_;
    StatementHandle update_;  // finalized before the close
};

}  // namespace kavex::bench
