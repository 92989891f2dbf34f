#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

#include "services/Accounts.h"
#include "services/HttpExchange.h"
#include "services/MarketModel.h"

namespace kavex::services {

inline constexpr std::string_view quoteServicePath = "/tools/XM01";
// The fixed query identifier every quote request carries as its parameter "qid".
inline constexpr std::string_view quoteQueryId = "KVXADDIN";
// The most symbols (special symbols included) one quote request may ask for.
inline constexpr std::size_t quoteBatchLimit = 25;

// The error codes of the quote service.
inline constexpr std::string_view invalidQuery = "invalid_query";
inline constexpr std::string_view invalidReferrer = "invalid_referrer";
inline constexpr std::string_view invalidSymbol = "invalid_symbol";

// What a quote request reads. The caller holds the lock.
struct QuoteServiceState {
    const Accounts& accounts;
    const MarketModel& market;
    // Fixed fields by upper-case symbol.
    const std::map<std::string, QuoteFields>& overrides;
    std::chrono::system_clock::time_point now;
    // The invalid-session fault: no referrer is recognised.
    bool sessionsRefused = false;
};

ServiceAnswer answerQuoteService(const ServiceRequest& request, const QuoteServiceState& state);

}  // namespace kavex::services
