#include "services/QuoteService.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

#include "platform/base/Text.h"
#include "services/ReservedSymbols.h"
#include "services/XmlAnswer.h"
#include "services/XmlText.h"

namespace kavex::services {

namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::string item = text.substr(start, comma - start);
        const auto first = item.find_first_not_of(" \t");
        if (first != std::string::npos) {
            items.push_back(item.substr(first, item.find_last_not_of(" \t") - first + 1));
        }
        start = comma + 1;
    }
    return items;
}

const QuoteFields* overridesOf(const QuoteServiceState& state, const std::string& symbol) {
    const auto found = state.overrides.find(base::toUpperAscii(symbol));
    return found == state.overrides.end() ? nullptr : &found->second;
}

std::optional<double> overriddenNumber(const QuoteFields* overrides, std::string_view name) {
    if (overrides == nullptr) {
        return std::nullopt;
    }
    for (const auto& [field, value] : *overrides) {
        double number = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        if (field == name && error == std::errc() && end == value.data() + value.size()) {
            return number;
        }
    }
    return std::nullopt;
}

// The quote of a listed or special symbol with its overrides, or nullopt for an unknown symbol
// that has none.
std::optional<QuoteFields> quoteOf(const QuoteServiceState& state, const std::string& symbol) {
    std::optional<QuoteFields> quote = state.market.quote(symbol, state.now);
    const QuoteFields* overrides = overridesOf(state, symbol);
    if (!quote && overrides == nullptr) {
        return std::nullopt;
    }
    if (!quote) {
        quote = QuoteFields{{"Symbol", base::toUpperAscii(symbol)}};
    }
    if (overrides != nullptr) {
        mergeFields(*quote, *overrides);
    }
    return quote;
}

struct Ranked {
    const ListedSymbol* listed;
    double change;
    double volume;
};

std::vector<const ListedSymbol*> rankedList(const QuoteServiceState& state,
                                            const TopListRequest& list) {
    std::vector<Ranked> candidates;
    for (const ListedSymbol* listed : state.market.stocksOf(list.exchange)) {
        const auto ranking = state.market.ranking(*listed, state.now);
        const QuoteFields* overrides = overridesOf(state, listed->symbol);
        candidates.push_back(
            {listed, overriddenNumber(overrides, "ChPerc").value_or(ranking.changeFraction),
             overriddenNumber(overrides, "CuVol").value_or(ranking.volume)});
    }
    if (list.code == "PRICE_GAINERS") {
        std::erase_if(candidates, [](const Ranked& r) { return r.change <= 0; });
    } else if (list.code == "PRICE_LOSERS") {
        std::erase_if(candidates, [](const Ranked& r) { return r.change >= 0; });
    }
    const auto key = [&](const Ranked& r) {
        return list.code == "PRICE_GAINERS"  ? -r.change
               : list.code == "PRICE_LOSERS" ? r.change
                                             : -r.volume;
    };
    std::stable_sort(candidates.begin(), candidates.end(), [&](const Ranked& a, const Ranked& b) {
        return key(a) != key(b) ? key(a) < key(b) : a.listed->symbol < b.listed->symbol;
    });
    std::vector<const ListedSymbol*> ranked;
    for (const Ranked& r : candidates) {
        if (ranked.size() == topListLength) {
            break;
        }
        ranked.push_back(r.listed);
    }
    return ranked;
}

// Appends a Stock element: Symbol first, then the extra elements, then the wanted fields (all
// when none are named).
void appendStock(XmlText& xml, const QuoteFields& quote, const QuoteFields& extra,
                 const std::vector<std::string>& fields) {
    xml.open("Stock");
    for (const auto& [name, value] : quote) {
        if (name == "Symbol") {
            xml.element(name, value);
        }
    }
    for (const auto& [name, value] : extra) {
        xml.element(name, value);
    }
    for (const auto& [name, value] : quote) {
        const bool wanted =
            fields.empty() || std::find(fields.begin(), fields.end(), name) != fields.end();
        if (name != "Symbol" && wanted) {
            xml.element(name, value);
        }
    }
    xml.close("Stock");
}

}  // namespace

ServiceAnswer answerQuoteService(const ServiceRequest& request, const QuoteServiceState& state) {
    if (request.param("qid").value_or("") != quoteQueryId) {
        return quoteServiceFailure(invalidQuery, "The query identifier is missing or wrong.");
    }
    if (state.sessionsRefused || request.referer.empty() ||
        !state.accounts.knowsReferrer(request.referer)) {
        return quoteServiceFailure(invalidReferrer, "The referrer is not allowed.");
    }
    std::vector<std::string> symbols = splitList(request.param("symbols").value_or(""));
    if (symbols.empty()) {
        return quoteServiceFailure(invalidQuery, "No symbols were asked for.");
    }
    if (symbols.size() > quoteBatchLimit) {
        return quoteServiceFailure(invalidQuery, "At most " + std::to_string(quoteBatchLimit) +
                                                     " symbols may be asked for at once.");
    }
    const std::vector<std::string> fields = splitList(request.param("fields").value_or(""));
    for (const std::string& field : fields) {
        if (!isElementName(field)) {
            return quoteServiceFailure(invalidQuery, "'" + field + "' is not a field name.");
        }
    }

    // Written as text: an answer of 25 quotes holds thousands of elements.
    XmlText xml;
    xml.text() = xmlDeclaration;
    xml.open(quoteServiceRoot);
    std::vector<std::string> answered;
    for (const std::string& symbol : symbols) {
        if (std::find(answered.begin(), answered.end(), base::toUpperAscii(symbol)) !=
            answered.end()) {
            continue;
        }
        answered.push_back(base::toUpperAscii(symbol));
        if (const auto list = parseTopListSymbol(symbol)) {
            const std::string listSymbol = topListSymbol(list->code, list->exchange);
            int rank = 0;
            for (const ListedSymbol* listed : rankedList(state, *list)) {
                const auto quote = quoteOf(state, listed->symbol);
                appendStock(xml, *quote, {{"List", listSymbol}, {"Rank", std::to_string(++rank)}},
                            fields);
            }
        } else if (const auto quote = quoteOf(state, symbol)) {
            appendStock(xml, *quote, {}, fields);
        } else {
            appendStock(xml, {{"Symbol", base::toUpperAscii(symbol)}},
                        {{"Error", std::string(invalidSymbol)}}, {});
        }
    }
    xml.close(quoteServiceRoot);
    ServiceAnswer answer;
    answer.body = std::move(xml.text());
    return answer;
}

}  // namespace kavex::services
