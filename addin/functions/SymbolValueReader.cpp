#include "addin/functions/SymbolValueReader.h"

#include <exception>

#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/functions/CellErrorText.h"
#include "addin/functions/DeprecationNotice.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/ReaderSupport.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::functions {

namespace {

void logFailure(std::string_view procedure, std::string_view tag, const std::string& symbol) {
    core::WriteLog(
        procedure, 1,
        "Error while fetching data for ..." + std::string(tag) + " for symbol..." + symbol);
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
        value = GetSymbolDataItemUnFormatted(tag, symbol, newMacro);
        std::string_view formatClass = SymbolFormatClass(tag);
        if (!formatClass.empty())
            value = FormatValue(value, formatClass);
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
    if (symbol.empty())
        return {};
    std::string result;
    try {
        ShowDeprecationNoticeOnce(newMacro);
        result = cell_error::NoData;
        db::Connection& connection = SharedConnection();
        const std::string key = core::SqlText(symbol);

        db::Recordset cached;
        cached.Open(
            "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM "
            "AQ_StockSymbolData WHERE AQ_StockSymbolData.Symbol = '" +
                key + "'",
            connection);
        if (!cached.Eof()) {
            base::Variant data = cached.Fields("SymbolData");
            std::string document = data.isNull() ? std::string() : base::CStr(data);
            if (std::optional<std::string> text = CachedElementText(document, tag)) {
                result = *text;
            }
        } else {
            // Not cached yet: a listed symbol gets a bare row so that the next refresh fetches
            // it; anything else is no symbol at all.
            cached.Close();
            cached.Open("SELECT Symbol from AQ_StockSymbolList where Symbol='" + key + "'",
                        connection);
            if (cached.Eof()) {
                result = cell_error::Invalid;
            } else {
                connection.Execute("insert into AQ_StockSymbolData(Symbol) values('" + key + "')");
            }
        }
        cached.Close();
    } catch (const std::exception&) {
        logFailure("GetSymbolDataItemUnFormatted ", tag, symbol);
        result = cell_error::Error;
    }
    return result;
}

}  // namespace kavex::addin::functions
