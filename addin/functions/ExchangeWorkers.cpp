#include "addin/functions/ExchangeWorkers.h"

#include <exception>

#include "addin/core/Strings.h"
#include "addin/functions/ExchangeValueReader.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/marketdata/DataDates.h"

namespace kavex::addin::functions {

namespace {

const ExchangeFunction& row(std::string_view name) {
    return *FindExchangeFunction(name);
}

std::string single(const ExchangeFunction& f, const std::string& exchange) {
    return GetExchangeDataItem(f.tag, exchange, f.newMacro());
}

std::string exchangeName(const ExchangeFunction& f, const std::string& exchange) {
    return core::ReplaceString(GetExchangeDataItem(f.tag, exchange, f.newMacro()), "%26", "&");
}

// "low - high" in plain numbers; a missing side is a single blank.
std::string range(const ExchangeFunction& f, const std::string& exchange) {
    std::string result;
    try {
        std::string high = GetExchangeDataItem(f.tag, exchange, f.newMacro());
        std::string low = GetExchangeDataItem(f.otherTag, exchange, f.newMacro());
        result = RangeText(low, high, format_class::Number);
    } catch (const std::exception&) {
        // The range keeps what it had built.
    }
    return result;
}

// The change arrives as the reader shows it and is divided by the raw last value.
std::string changePercent(const ExchangeFunction& f, const std::string& exchange) {
    std::string change = RunExchangeWorker(row(f.pairedFunction), exchange);
    std::string last = GetExchangeDataItemUnFormatted(f.otherTag, exchange, f.newMacro());
    return FormatValue(DivideValues(change, last), format_class::Percentage);
}

// Both data-date functions pass the new-macro flag True: the date never shows the notice.
std::string dataDate(const std::string& exchange) {
    try {
        return marketdata::GetExchangeDate(exchange, true);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

std::string RunExchangeWorker(const ExchangeFunction& function, const std::string& exchange) {
    switch (function.worker) {
        case ExchangeWorker::Single:
            return single(function, exchange);
        case ExchangeWorker::Name:
            return exchangeName(function, exchange);
        case ExchangeWorker::Range:
            return range(function, exchange);
        case ExchangeWorker::ChangePercent:
            return changePercent(function, exchange);
        case ExchangeWorker::DataDate:
            return dataDate(exchange);
    }
    return {};
}

std::optional<std::string> CallExchangeWorker(std::string_view workerName,
                                              const std::string& exchange) {
    if (!workerName.starts_with("Get"))
        return std::nullopt;
    const ExchangeFunction* function = FindExchangeFunction(workerName.substr(3));
    if (!function)
        return std::nullopt;
    return RunExchangeWorker(*function, exchange);
}

std::string GetKavexEXCGLast(const std::string& exchange) {
    return RunExchangeWorker(row("KavexEXCGLast"), exchange);
}

std::string GetKavexEXCGChange(const std::string& exchange) {
    return RunExchangeWorker(row("KavexEXCGChange"), exchange);
}

std::string GetKavexEXCGChPerc(const std::string& exchange) {
    return RunExchangeWorker(row("KavexEXCGChPerc"), exchange);
}

}  // namespace kavex::addin::functions
