#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kavex::services {

// The exchange codes of the market, in the order the exchange statistics list them.
inline constexpr std::array<std::string_view, 3> exchangeCodes{"NSDQ", "NYSE", "AMEX"};
// The ranked lists of the quote service, by the codes the client stores them under.
inline constexpr std::array<std::string_view, 3> topListCodes{"PRICE_GAINERS", "PRICE_LOSERS",
                                                              "VOL_LEADERS"};
// The longest ranked list the quote service answers.
inline constexpr std::size_t topListLength = 25;

// Symbols the quote service answers besides the listed ones (docs/services.md):
//   $IDX.<exchange>             the exchange's index (AMEX: the S&P 500 index)
//   $BRD.<exchange>             the exchange's market breadth
//   $TOP.<list code>.<exchange> a ranked list
inline std::string indexSymbol(std::string_view exchange) {
    return "$IDX." + std::string(exchange);
}
inline std::string breadthSymbol(std::string_view exchange) {
    return "$BRD." + std::string(exchange);
}
inline std::string topListSymbol(std::string_view code, std::string_view exchange) {
    return "$TOP." + std::string(code) + "." + std::string(exchange);
}

struct TopListRequest {
    std::string code;
    std::string exchange;
};

// The list code and exchange of a "$TOP." symbol (letter case ignored), or nullopt.
std::optional<TopListRequest> parseTopListSymbol(std::string_view symbol);
// The exchange code of a "$IDX." or "$BRD." symbol with that prefix, or nullopt.
std::optional<std::string> parseExchangeSymbol(std::string_view symbol, std::string_view prefix);

}  // namespace kavex::services
