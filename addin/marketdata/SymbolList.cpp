#include "addin/marketdata/SymbolList.h"

#include <algorithm>
#include <cctype>

#include "platform/base/Conversions.h"

namespace kavex::addin::marketdata {

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

void addSymbol(std::vector<std::string>& symbols, std::string_view text) {
    std::string symbol = trimmed(text);
    if (symbol.empty())
        return;
    const std::string key = upper(symbol);
    const bool repeated = std::any_of(symbols.begin(), symbols.end(),
                                      [&](const std::string& s) { return upper(s) == key; });
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
