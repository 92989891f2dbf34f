#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/db/Connection.h"
#include "platform/db/DataVersion.h"
#include "platform/xml/Document.h"

namespace kavex::addin::functions {

// The cached quote documents of one cache table, kept as the readers found them so that a sheet
// of many cells does not read and parse the same row again for each cell. A row is taken from
// memory only while the database's data version is the one it was read under; after any change
// to the data it is read again, and parsed again only when its document is not the one kept.
// Each element asked for is remembered with the document, and so is its display text, so a warm
// read is a few look-ups.
//
// Every answer is the one the uncached road gives: the same query selects the row (the key bound
// as a value instead of quoted into the text), the same parse and selection find the element,
// the same formatter makes its display text.
class CachedDocuments {
  public:
    // The statement selects by one "?" mark, which stands for the key; the document is in the
    // column of that name of its first row.
    CachedDocuments(std::string select, std::string column)
        : select_(std::move(select)), column_(std::move(column)) {}

    // One row as the database holds it now.
    class Row {
      public:
        explicit Row(std::string document) : document_(std::move(document)) {}
        // The element Stock/<tag> of the document as ElementText finds it. Raises what the
        // selection raises (a tag that is no valid path).
        std::optional<std::string> elementText(std::string_view tag, CachedDocuments& owner);
        // FormatValue(value, formatClass) for the value read for the tag.
        std::string formatted(std::string_view tag, const std::string& value,
                              std::string_view formatClass);

      private:
        friend class CachedDocuments;
        // What FormatValue gave, and what it depended on besides the value.
        struct Display {
            std::string value;
            std::string formatClass;
            std::string priceFormat;
            std::uint64_t locale = 0;
            std::string text;
        };
        std::string document_;
        std::unordered_map<std::string, std::optional<std::string>> elements_;
        std::unordered_map<std::string, Display> shown_;
        // The parsed document, kept only for the rows asked most lately (see kParsedLimit).
        std::optional<xml::Document> parsed_;
        std::list<Row*>::iterator parsedPlace_;
    };

    // The first row the statement selects for the key (as stored, not quoted), or nullptr when
    // it selects none. Raises the database's errors as the statement would.
    Row* find(const std::string& key, db::Connection& connection);

    // Forgets every row (memory only; the next reads go to the database).
    void clear();

  private:
    struct Entry {
        db::DataVersion version;
        std::unique_ptr<Row> row;
    };

    const xml::Document& parsedDocument(Row& row);
    void forget(Row& row);

    // Rows kept at most; past it the memory starts again empty.
    static constexpr std::size_t kRowLimit = 20'000;
    // Parsed documents kept at most: enough for the rows of a refresh in progress.
    static constexpr std::size_t kParsedLimit = 64;

    std::string select_;
    std::string column_;
    std::unordered_map<std::string, Entry> entries_;
    std::list<Row*> parsedRows_;  // most lately parsed first
};

// The memory of AQ_StockSymbolData's SymbolData and of AQ_StockExchangeData's ExchangeData, by
// the statements of the two readers.
CachedDocuments& CachedSymbolDocuments();
CachedDocuments& CachedExchangeDocuments();

}  // namespace kavex::addin::functions
