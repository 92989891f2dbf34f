#pragma once
// The floor of reading cached quotes: the plain efficient way to get a symbol's values out of the
// database file, done directly with SQLite and pugixml. The select is prepared once with the
// symbol bound, each element's path is compiled once, and a row is read and its document parsed
// once for all the elements asked of it.

#include <sqlite3.h>

#include <cstddef>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "bench/support/SqliteHandles.h"

namespace kavex::bench {

class QuoteFloor {
  public:
    // Reads the elements Stock/<tag> of the documents in `database`'s quote cache.
    QuoteFloor(const std::filesystem::path& database, const std::vector<std::string>& tags)
        : handle_(openDatabase(database)),
          select_(prepare(handle_.get(),
                          "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM "
                          "AQ_StockSymbolData WHERE AQ_StockSymbolData.Symbol = ?")) {
        for (const std::string& tag : tags) {
            paths_.emplace_back(("Stock/" + tag).c_str());
        }
    }

    // Reads the symbol's row and parses its document; false when there is no such row or its
    // document does not parse.
    bool read(const std::string& symbol) {
        sqlite3_bind_text(select_.get(), 1, symbol.data(), static_cast<int>(symbol.size()),
                          SQLITE_STATIC);
        bool parsed = false;
        if (sqlite3_step(select_.get()) == SQLITE_ROW) {
            const void* text = sqlite3_column_blob(select_.get(), 0);
            const int bytes = sqlite3_column_bytes(select_.get(), 0);
            parsed =
                static_cast<bool>(document_.load_buffer(text, static_cast<std::size_t>(bytes)));
        }
        sqlite3_reset(select_.get());
        return parsed;
    }

    // The text of the tag-th element asked for, in the document read last ("" when it has none).
    const char* value(std::size_t tag) const {
        return paths_[tag].evaluate_node(document_).node().child_value();
    }

  private:
    DatabaseHandle handle_;
    StatementHandle select_;  // finalized before the close
    std::vector<pugi::xpath_query> paths_;
    pugi::xml_document document_;
};

}  // namespace kavex::bench
