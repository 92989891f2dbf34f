#include "addin/marketdata/SymbolList.h"

#include <algorithm>
#include <unordered_set>

#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"

namespace kavex::addin::marketdata {

namespace {

// The symbols kept so far, and the same in lower case for telling a repeat in one look-up: a
// refresh hands over every symbol of a sheet, thousands of them.
struct Collected {
    std::vector<std::string> symbols;
    std::unordered_set<std::string> seen;
};

void addSymbol(Collected& collected, std::string_view text) {
    std::string symbol = core::TrimWhitespace(text);
    if (symbol.empty())
        return;
    // Repeats compare as base::equalsIgnoringCase does: letter by letter, ASCII case folded.
    if (collected.seen.insert(base::toLowerAscii(symbol)).second)
        collected.symbols.push_back(std::move(symbol));
}

}  // namespace

bool HasSymbols(const SymbolList& list) {
    if (std::holds_alternative<std::vector<std::string>>(list))
        return true;
    const base::Variant& value = std::get<base::Variant>(list);
    return !(value.isEmpty() || value.isMissing() || value.isNull());
}

std::vector<std::string> SymbolsOf(const SymbolList& list) {
    Collected collected;
    if (const auto* array = std::get_if<std::vector<std::string>>(&list)) {
        collected.seen.reserve(array->size());
        for (const std::string& item : *array)
            addSymbol(collected, item);
        return std::move(collected.symbols);
    }
    const base::Variant& value = std::get<base::Variant>(list);
    if (value.isEmpty() || value.isMissing() || value.isNull() || value.isError())
        return {};
    const std::string text = base::CStr(value);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        addSymbol(collected, std::string_view(text).substr(start, comma - start));
        start = comma + 1;
    }
    return std::move(collected.symbols);
}

}  // namespace kavex::addin::marketdata
