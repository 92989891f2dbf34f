#include "addin/functions/SymbolWorkers.h"

#include <exception>
#include <vector>

#include "addin/core/Strings.h"
#include "addin/functions/CellErrorText.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/SymbolValueReader.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/marketdata/DataDates.h"

namespace kavex::addin::functions {

namespace {

using base::Variant;

const SymbolFunction& row(std::string_view name) {
    // The names below are in the table; a miss would be a build-time slip caught by the tests.
    return *FindSymbolFunction(name);
}

// The text of a worker's result; Empty reads as the empty text.
std::string textOf(const Variant& value) {
    return value.isText() ? value.text() : std::string();
}

Variant single(const SymbolFunction& f, const std::string& symbol) {
    return GetSymbolDataItem(f.tag, symbol, f.newMacro());
}

Variant companyName(const SymbolFunction& f, const std::string& symbol) {
    std::string name = GetSymbolDataItem(f.tag, symbol, f.newMacro());
    return core::ReplaceString(name, "%26", "&");
}

Variant dividendPayDate(const SymbolFunction& f, const std::string& symbol) {
    std::string date = GetSymbolDataItem(f.tag, symbol, f.newMacro());
    if (date == "00000000")
        return std::string(cell_error::NotAvailable);
    return date;
}

Variant range(const SymbolFunction& f, const std::string& symbol) {
    Variant result;
    try {
        std::string high = GetSymbolDataItem(f.tag, symbol, f.newMacro());
        std::string low = GetSymbolDataItem(f.otherTag, symbol, f.newMacro());
        result = RangeText(low, high, format_class::Currency);
    } catch (const std::exception&) {
        // The range keeps what it had built.
    }
    return result;
}

Variant difference(const SymbolFunction& f, const std::string& symbol) {
    std::string last = GetSymbolDataItemUnFormatted("Last", symbol, f.newMacro());
    std::string reference = GetSymbolDataItemUnFormatted(f.tag, symbol, f.newMacro());
    return FormatValue(SubtractValues(last, reference), format_class::Currency);
}

// The difference is divided as shown, i.e. already rounded to the configured decimals.
Variant percentage(const SymbolFunction& f, const std::string& symbol) {
    std::string change = textOf(difference(row(f.pairedFunction), symbol));
    std::string divisor = GetSymbolDataItemUnFormatted(f.otherTag, symbol, f.newMacro());
    return FormatValue(DivideValues(change, divisor), format_class::Percentage);
}

// Split at every single blank, as the runtime's Split does: two blanks give an empty word, and
// the empty text has no words at all.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    if (text.empty())
        return out;
    std::size_t start = 0;
    for (;;) {
        std::size_t blank = text.find(' ', start);
        out.push_back(text.substr(start, blank - start));
        if (blank == std::string::npos)
            break;
        start = blank + 1;
    }
    return out;
}

Variant optionWord(const SymbolFunction& f, const std::string& symbol) {
    Variant result;
    try {
        std::vector<std::string> parts = words(textOf(GetKavexName(symbol)));
        std::size_t first = static_cast<std::size_t>(f.word);
        // The expiry date is written across two words.
        std::size_t last = f.word == 1 ? first + 1 : first;
        if (f.word >= 0 && last < parts.size()) {
            std::string word = parts[first];
            if (last != first)
                word += parts[last];
            result = word;
        }
    } catch (const std::exception&) {
        // A missing word leaves the result empty.
    }
    return result;
}

Variant dataDate(const std::string& symbol) {
    try {
        return marketdata::GetSymbolDate(symbol);
    } catch (const std::exception&) {
        return std::string();
    }
}

}  // namespace

Variant RunSymbolWorker(const SymbolFunction& function, const std::string& symbol) {
    switch (function.worker) {
        case SymbolWorker::Single:
            return single(function, symbol);
        case SymbolWorker::Name:
            return companyName(function, symbol);
        case SymbolWorker::DividendPayDate:
            return dividendPayDate(function, symbol);
        case SymbolWorker::Range:
            return range(function, symbol);
        case SymbolWorker::Difference:
            return difference(function, symbol);
        case SymbolWorker::Percentage:
            return percentage(function, symbol);
        case SymbolWorker::OptionWord:
            return optionWord(function, symbol);
        case SymbolWorker::DataDate:
            return dataDate(symbol);
    }
    return Variant();
}

std::optional<Variant> CallSymbolWorker(std::string_view workerName, const std::string& symbol) {
    if (!workerName.starts_with("Get"))
        return std::nullopt;
    const SymbolFunction* function = FindSymbolFunction(workerName.substr(3));
    if (!function)
        return std::nullopt;
    return RunSymbolWorker(*function, symbol);
}

Variant GetKavexLast(const std::string& symbol) {
    return RunSymbolWorker(row("KavexLast"), symbol);
}

Variant GetKavexEma13(const std::string& symbol) {
    return RunSymbolWorker(row("KavexEma13"), symbol);
}

Variant GetKavexEma30(const std::string& symbol) {
    return RunSymbolWorker(row("KavexEma30"), symbol);
}

Variant GetKavexName(const std::string& symbol) {
    return RunSymbolWorker(row("KavexName"), symbol);
}

Variant GetKavexOptionsBaseSymbol(const std::string& symbol) {
    return RunSymbolWorker(row("KavexOptionsBaseSymbol"), symbol);
}

}  // namespace kavex::addin::functions
