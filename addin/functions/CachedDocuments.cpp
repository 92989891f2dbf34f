#include "addin/functions/CachedDocuments.h"

#include "addin/core/Globals.h"
#include "addin/functions/ReaderSupport.h"
#include "addin/functions/ValueFormatting.h"
#include "platform/base/Conversions.h"
#include "platform/base/Locale.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::functions {

std::optional<std::string> CachedDocuments::Row::elementText(std::string_view tag,
                                                             CachedDocuments& owner) {
    const std::string key(tag);
    if (auto known = elements_.find(key); known != elements_.end()) {
        return known->second;
    }
    std::optional<std::string> text;
    if (!document_.empty()) {
        text = ElementText(owner.parsedDocument(*this), tag);
    }
    elements_.emplace(key, text);
    return text;
}

std::string CachedDocuments::Row::formatted(std::string_view tag, const std::string& value,
                                            std::string_view formatClass) {
    const std::uint64_t locale = base::currentLocaleGeneration();
    Display& shown = shown_[std::string(tag)];
    if (shown.value != value || shown.formatClass != formatClass ||
        shown.priceFormat != core::PriceFormat || shown.locale != locale) {
        shown = Display{value, std::string(formatClass), core::PriceFormat, locale,
                        FormatValue(value, formatClass)};
    }
    return shown.text;
}

const xml::Document& CachedDocuments::parsedDocument(Row& row) {
    if (row.parsed_) {
        parsedRows_.splice(parsedRows_.begin(), parsedRows_, row.parsedPlace_);
        return *row.parsed_;
    }
    if (parsedRows_.size() >= kParsedLimit) {
        Row* oldest = parsedRows_.back();
        parsedRows_.pop_back();
        oldest->parsed_.reset();
    }
    row.parsed_.emplace();
    row.parsed_->loadXML(row.document_);  // a text that does not parse leaves it empty
    parsedRows_.push_front(&row);
    row.parsedPlace_ = parsedRows_.begin();
    return *row.parsed_;
}

void CachedDocuments::forget(Row& row) {
    if (row.parsed_) {
        parsedRows_.erase(row.parsedPlace_);
        row.parsed_.reset();
    }
}

CachedDocuments::Row* CachedDocuments::find(const std::string& key, db::Connection& connection) {
    const db::DataVersion now = connection.DataVersion();
    auto found = entries_.find(key);
    if (found != entries_.end() && found->second.version == now) {
        return found->second.row.get();
    }
    // Read again. Until it is read, nothing of the row is kept: a failing read keeps nothing.
    std::unique_ptr<Row> kept;
    if (found != entries_.end()) {
        kept = std::move(found->second.row);
        entries_.erase(found);
        forget(*kept);  // what was found of it stays; the parse is made again when needed
    }
    // The key as a value of its own: one prepared statement serves every key, where a statement
    // of each key's text would be prepared anew for each of a sheet's symbols.
    db::Recordset cached;
    cached.Open(select_, connection, {base::Variant(key)});
    if (cached.Eof()) {
        cached.Close();
        return nullptr;
    }
    const base::Variant data = cached.Fields(column_);
    std::string document = data.isNull() ? std::string() : base::CStr(data);
    cached.Close();
    if (!kept || kept->document_ != document) {
        kept = std::make_unique<Row>(std::move(document));
    }
    if (entries_.size() >= kRowLimit) {
        clear();
    }
    Row* row = kept.get();
    entries_.emplace(key, Entry{now, std::move(kept)});
    return row;
}

void CachedDocuments::clear() {
    parsedRows_.clear();
    entries_.clear();
}

CachedDocuments& CachedSymbolDocuments() {
    static CachedDocuments documents(
        "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM AQ_StockSymbolData "
        "WHERE AQ_StockSymbolData.Symbol = ?",
        "SymbolData");
    return documents;
}

CachedDocuments& CachedExchangeDocuments() {
    static CachedDocuments documents(
        "SELECT ExchangeData, Exchange FROM AQ_StockExchangeData WHERE Exchange = ?",
        "ExchangeData");
    return documents;
}

}  // namespace kavex::addin::functions
