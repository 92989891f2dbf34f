#include "addin/marketdata/SymbolList.h"

#include <algorithm>

#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"

namespace kavex::addin::marketdata {

namespace {

void addSymbol(std::vector<std::string>& symbols, std::string_view text) {
    std::string symbol = core::TrimWhitespace(text);
    if (symbol.empty())
        return;
    const bool repeated = std::any_of(symbols.begin(), symbols.end(), [&](const std::string& s) {
        return base::equalsIgnoringCase(s, symbol);
    });
    if (!repeated)
        symbols.push_back(std::move(symbol));
}

}  // namespace

bool HasSymbols(const SymbolList& list) {
    if (std::holds_alternative<std::vector<std::string>>(list))
        return true;
    const base::Variant& value = std::get<base::Variant>(list);
    return !(value.isEmpty() || value.isMissing() || value.isNull());
}

std::vector<std::string> SymbolsOf(const SymbolList& list) {
    std::vector<std::string> symbols;
    if (const auto* array = std::get_if<std::vector<std::string>>(&list)) {
        for (const std::string& item : *array)
            addSymbol(symbols, item);
        return symbols;
    }
    const base::Variant& value = std::get<base::Variant>(list);
    if (value.isEmpty() || value.isMissing() || value.isNull() || value.isError())
        return symbols;
    const std::string text = base::CStr(value);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        addSymbol(symbols, std::string_view(text).substr(start, comma - start));
        start = comma + 1;
    }
    return symbols;
}

}  // namespace kavex::addin::marketdata
