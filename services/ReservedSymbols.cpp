#include "services/ReservedSymbols.h"
#include "platform/base/Text.h"

#include <algorithm>

namespace kavex::services {

namespace {

bool isExchange(std::string_view code) {
    return std::find(exchangeCodes.begin(), exchangeCodes.end(), code) != exchangeCodes.end();
}

}  // namespace

std::optional<TopListRequest> parseTopListSymbol(std::string_view symbol) {
    const std::string text = base::toUpperAscii(symbol);
    constexpr std::string_view prefix = "$TOP.";
    if (!text.starts_with(prefix)) {
        return std::nullopt;
    }
    const std::size_t dot = text.rfind('.');
    if (dot < prefix.size()) {
        return std::nullopt;
    }
    TopListRequest request{text.substr(prefix.size(), dot - prefix.size()), text.substr(dot + 1)};
    const bool knownCode =
        std::find(topListCodes.begin(), topListCodes.end(), request.code) != topListCodes.end();
    if (!knownCode || !isExchange(request.exchange)) {
        return std::nullopt;
    }
    return request;
}

std::optional<std::string> parseExchangeSymbol(std::string_view symbol, std::string_view prefix) {
    const std::string text = base::toUpperAscii(symbol);
    if (!text.starts_with(prefix)) {
        return std::nullopt;
    }
    std::string exchange = text.substr(prefix.size());
    if (!isExchange(exchange)) {
        return std::nullopt;
    }
    return exchange;
}

}  // namespace kavex::services
