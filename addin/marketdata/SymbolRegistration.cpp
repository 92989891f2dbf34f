#include "addin/marketdata/SymbolRegistration.h"

#include <exception>

#include "addin/core/Log.h"
#include "addin/marketdata/CacheSupport.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::marketdata {

void AddNewExistingSymbol(std::string& symbol, std::string& /*unused*/) {
    // A text of blanks names no symbol; it gets no row.
    if (symbol.find_first_not_of(" \t") == std::string::npos)
        return;
    try {
        db::Connection& connection = CacheConnection();
        db::Recordset rows;
        rows.Open("SELECT Symbol FROM AQ_StockSymbolData WHERE Symbol = " + SqlQuoted(symbol),
                  connection);
        const bool cached = !rows.Eof();
        rows.Close();
        // A bare row: no check date makes it due, so the next refresh covering it fetches it.
        if (!cached)
            connection.Execute("INSERT INTO AQ_StockSymbolData(Symbol) VALUES(" +
                               SqlQuoted(symbol) + ")");
    } catch (const std::exception& error) {
        core::WriteLog(
            "AddNewExistingSymbol", 1,
            "Error while adding symbol " + symbol + " Error Description : " + ErrorText(error));
    }
}

}  // namespace kavex::addin::marketdata
