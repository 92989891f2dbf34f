#include "addin/functions/ExchangeValueReader.h"

#include <exception>

#include "addin/core/Log.h"
#include "addin/functions/CachedDocuments.h"
#include "addin/functions/CellErrorText.h"
#include "addin/functions/DeprecationNotice.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/ReaderSupport.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::functions {

namespace {

void logFailure(std::string_view procedure, std::string_view tag, const std::string& exchange,
                const std::exception& failure) {
    core::WriteLog(procedure, 1,
                   "Error while getting exchange data item for the tag " + std::string(tag) +
                       " and exchange : " + exchange +
                       " ... Error Description : " + failure.what());
}

}  // namespace

std::string GetExchangeDataItem(std::string_view tag, const std::string& exchange, bool newMacro) {
    if (exchange.empty())
        return {};
    std::string value;
    try {
        if (session::UserSessionKey.empty()) {
            StartLoginIfRequired();
            if (session::UserSessionKey.empty())
                return std::string(cell_error::Name);
        }
        value = GetExchangeDataItemUnFormatted(tag, exchange, newMacro);
        std::string_view formatClass = ExchangeFormatClass(tag);
        if (!formatClass.empty())
            value = FormatValue(value, formatClass);
    } catch (const std::exception& failure) {
        logFailure("GetExchangeDataItem", tag, exchange, failure);
        value = cell_error::Error;
    }
    return value;
}

std::string GetExchangeDataItemUnFormatted(std::string_view tag, const std::string& exchange,
                                           bool newMacro) {
    if (exchange.empty())
        return {};
    if (session::UserSessionKey.empty())
        return std::string(cell_error::Name);
    std::string result;
    try {
        ShowDeprecationNoticeOnce(newMacro);
        result = cell_error::NoData;
        db::Connection& connection = SharedConnection();
        // The row and what was found in it stay in memory until the data changes.
        if (CachedDocuments::Row* row = CachedExchangeDocuments().find(exchange, connection)) {
            if (std::optional<std::string> text =
                    row->elementText(tag, CachedExchangeDocuments())) {
                result = *text;
            }
        }
    } catch (const std::exception& failure) {
        logFailure("GetExchangeDataItemUnFormatted", tag, exchange, failure);
        result = cell_error::Error;
    }
    return result;
}

}  // namespace kavex::addin::functions
