#include "addin/marketdata/DataDates.h"

#include <exception>

#include "addin/core/Log.h"
#include "addin/functions/DeprecationNotice.h"
#include "addin/marketdata/CacheSupport.h"
#include "platform/base/Conversions.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::marketdata {

namespace {

// The text form of the first row's LastFetchDate; the empty text for no row or a Null date.
void readFetchDate(const std::string& query, std::string& result) {
    db::Recordset rows;
    rows.Open(query, CacheConnection());
    if (!rows.Eof()) {
        const base::Variant date = rows.Fields("LastFetchDate");
        if (!date.isNull())
            result = base::CStr(date);
    }
    rows.Close();
}

}  // namespace

std::string GetSymbolDate(const std::string& symbol) {
    std::string result;
    try {
        readFetchDate(
            "SELECT LastFetchDate FROM AQ_StockSymbolData WHERE Symbol = " + SqlQuoted(symbol),
            result);
    } catch (const std::exception& error) {
        core::WriteLog("GetSymbolDate", 1,
                       "Error while getting the data date of symbol " + symbol +
                           " Error Description : " + ErrorText(error));
    }
    return result;
}

std::string GetExchangeDate(const std::string& exchange, bool newMacro) {
    std::string result;
    try {
        functions::ShowDeprecationNoticeOnce(newMacro);
        readFetchDate("SELECT LastFetchDate FROM AQ_StockExchangeData WHERE Exchange = " +
                          SqlQuoted(exchange),
                      result);
    } catch (const std::exception& error) {
        core::WriteLog("GetExchangeDate", 1,
                       "Error while getting the data date of exchange " + exchange +
                           " Error Description : " + ErrorText(error));
    }
    return result;
}

}  // namespace kavex::addin::marketdata
