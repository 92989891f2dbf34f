#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "services/Accounts.h"
#include "services/Fault.h"
#include "services/HttpExchange.h"
#include "services/MarketModel.h"
#include "services/ServerOptions.h"
#include "services/UserAction.h"

namespace kavex::services {

using Clock = std::function<std::chrono::system_clock::time_point()>;

// A request as it reached the services, for tests that check what the client sent.
struct ServedRequest {
    std::string path;
    std::multimap<std::string, std::string> params;
    std::string referer;
    int status = 0;
};

// Both services without the transport: state (accounts, sessions, alerts, quote overrides, the
// fault switch, the logs) and one entry point that answers a request. Every member may be called
// from any thread.
class Backend {
  public:
    explicit Backend(const ServerOptions& options);
    ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    // Answers one request; never throws. Under the "slow" fault it waits first (until the delay
    // has passed, the fault changes or release() is called). The "down" fault is the server's.
    ServiceAnswer handle(const ServiceRequest& request);

    void setFault(Fault fault);
    Fault fault() const;
    void setSlowDelay(std::chrono::milliseconds delay);
    // Wakes every answer held back by the "slow" fault (the server is stopping).
    void release();
    // Answers wait under the "slow" fault again (the server listens again).
    void resume();
    // The services' notion of now (prices, dates, the symbol-list changes); the real clock unless
    // set. An empty function restores the real clock.
    void setClock(Clock clock);
    std::chrono::system_clock::time_point now() const;

    // Fixes fields of a symbol's quote (also a special symbol: an index, the breadth of an
    // exchange); later calls add to or replace earlier fields. A symbol unknown to the market gets
    // a quote made of these fields alone.
    void overrideQuote(const std::string& symbol, const QuoteFields& fields);
    // Forgets the overrides of one symbol, or of all when the symbol is empty.
    void clearQuoteOverrides(const std::string& symbol = {});

    std::vector<UserAction> actions() const;
    // True when the log holds an action of that type (and, when given, that reason).
    bool hasAction(const std::string& type, const std::optional<std::string>& reason = {}) const;
    void clearActions();
    std::vector<ServedRequest> requests() const;

    // Adds or replaces an account.
    void addAccount(const std::string& userId, const std::string& password);
    std::size_t sessionCount() const;

    const MarketModel& market() const noexcept { return *market_; }

  private:
    ServiceAnswer answer(const ServiceRequest& request);
    std::chrono::system_clock::time_point currentTime() const;
    void waitWhileSlow(std::unique_lock<std::mutex>& lock);

    std::unique_ptr<MarketModel> market_;
    mutable std::mutex mutex_;
    std::condition_variable faultChanged_;
    Fault fault_ = Fault::None;
    std::chrono::milliseconds slowDelay_;
    bool released_ = false;
    Clock clock_;
    Accounts accounts_;
    std::map<std::string, QuoteFields> overrides_;
    std::vector<UserAction> actions_;
    std::vector<ServedRequest> requests_;
};

}  // namespace kavex::services
