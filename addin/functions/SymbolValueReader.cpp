#include "addin/functions/SymbolValueReader.h"

#include <exception>

#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/functions/CachedDocuments.h"
#include "addin/functions/CellErrorText.h"
#include "addin/functions/DeprecationNotice.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/ReaderSupport.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/session/Session.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::functions {

namespace {

void logFailure(std::string_view procedure, std::string_view tag, const std::string& symbol) {
    core::WriteLog(
        procedure, 1,
        "Error while fetching data for ..." + std::string(tag) + " for symbol..." + symbol);
}

// The raw reader; `from` is set to the cached row the value came from, if any, so that the
// formatted reader can keep its display text with it.
std::string unformatted(std::string_view tag, const std::string& symbol, bool newMacro,
                        CachedDocuments::Row** from) {
    if (symbol.empty())
        return {};
    std::string result;
    try {
        ShowDeprecationNoticeOnce(newMacro);
        result = cell_error::NoData;
        db::Connection& connection = SharedConnection();
        const std::string key = core::SqlText(symbol);

        // The row and what was found in it stay in memory until the data changes.
        if (CachedDocuments::Row* row = CachedSymbolDocuments().find(symbol, connection)) {
            if (std::optional<std::string> text = row->elementText(tag, CachedSymbolDocuments())) {
                result = *text;
            }
            *from = row;
        } else {
            // Not cached yet: a listed symbol gets a bare row so that the next refresh fetches
            // it; anything else is no symbol at all.
            db::Recordset listed;
            listed.Open("SELECT Symbol from AQ_StockSymbolList where Symbol='" + key + "'",
                        connection);
            if (listed.Eof()) {
                result = cell_error::Invalid;
            } else {
                connection.Execute("insert into AQ_StockSymbolData(Symbol) values('" + key + "')");
            }
            listed.Close();
        }
    } catch (const std::exception&) {
        logFailure("GetSymbolDataItemUnFormatted ", tag, symbol);
        result = cell_error::Error;
        *from = nullptr;
    }
    return result;
}

}  // namespace

std::string GetSymbolDataItem(std::string_view tag, const std::string& symbol, bool newMacro) {
    if (symbol.empty())
        return {};
    std::string value;
    try {
        StartLoginIfRequired();
        value = cell_error::NoData;
        if (!session::UserSessionKey.empty())
            ShowAddinToolbar();
        CachedDocuments::Row* row = nullptr;
        value = unformatted(tag, symbol, newMacro, &row);
        std::string_view formatClass = SymbolFormatClass(tag);
        if (!formatClass.empty())
            value = row != nullptr ? row->formatted(tag, value, formatClass)
                                   : FormatValue(value, formatClass);
        if (base::equalsIgnoringCase(value, "-nan"))
            value = cell_error::NotAvailable;
    } catch (const std::exception&) {
        logFailure("GetSymbolDataItem ", tag, symbol);
        value = cell_error::Error;
    }
    return value;
}

std::string GetSymbolDataItemUnFormatted(std::string_view tag, const std::string& symbol,
                                         bool newMacro) {
    CachedDocuments::Row* unused = nullptr;
    return unformatted(tag, symbol, newMacro, &unused);
}

}  // namespace kavex::addin::functions
