#include "services/Backend.h"

#include <algorithm>
#include <stdexcept>

#include "platform/base/Text.h"
#include "services/QuoteService.h"
#include "services/WebService.h"
#include "services/XmlAnswer.h"

namespace kavex::services {

namespace {

ServiceAnswer notFound() {
    return ServiceAnswer{404, "text/plain; charset=utf-8", "Not Found"};
}

// What the badxml fault sends: the start of a plausible answer, cut off mid-element.
ServiceAnswer brokenXml(bool quoteService) {
    ServiceAnswer answer;
    answer.body = quoteService
                      ? "<?xml version=\"1.0\"?>\n<StockData><Stock><Symbol>MSFT</Symbol><Last>4"
                      : "<?xml version=\"1.0\"?>\n<zurovizout><Status>OK</Status><Sess";
    return answer;
}

}  // namespace

Backend::Backend(const ServerOptions& options)
    : market_(std::make_unique<MarketModel>(SeedData::load(options.seedDirectory),
                                            options.priceBucket)),
      slowDelay_(options.slowDelay) {}

Backend::~Backend() {
    release();
}

ServiceAnswer Backend::handle(const ServiceRequest& request) {
    std::unique_lock lock(mutex_);
    if (fault_ == Fault::Slow) {
        waitWhileSlow(lock);
    }
    ServiceAnswer result;
    try {
        result = answer(request);
    } catch (const std::exception& error) {
        // A fault of ours must not take the server down; the client sees a failed request.
        result = ServiceAnswer{500, "text/plain; charset=utf-8",
                               std::string("Internal error: ") + error.what()};
    }
    requests_.push_back({request.path, request.params, request.referer, result.status});
    return result;
}

ServiceAnswer Backend::answer(const ServiceRequest& request) {
    const bool quoteService = request.path == quoteServicePath;
    if (!quoteService && !isWebServicePage(request.path)) {
        return notFound();
    }
    switch (fault_) {
        case Fault::Http500:
            return ServiceAnswer{500, "text/plain; charset=utf-8", "Internal Server Error"};
        case Fault::BadXml:
            return brokenXml(quoteService);
        default:
            break;
    }
    const bool refused = fault_ == Fault::InvalidSession;
    if (quoteService) {
        return answerQuoteService(
            request, QuoteServiceState{accounts_, *market_, overrides_, currentTime(), refused});
    }
    WebServiceState state{accounts_, actions_, *market_, currentTime(), refused};
    return answerWebService(request, state);
}

void Backend::waitWhileSlow(std::unique_lock<std::mutex>& lock) {
    const auto deadline = std::chrono::steady_clock::now() + slowDelay_;
    faultChanged_.wait_until(lock, deadline, [this] { return fault_ != Fault::Slow || released_; });
}

void Backend::setFault(Fault fault) {
    {
        std::lock_guard lock(mutex_);
        fault_ = fault;
    }
    faultChanged_.notify_all();
}

Fault Backend::fault() const {
    std::lock_guard lock(mutex_);
    return fault_;
}

void Backend::setSlowDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    slowDelay_ = delay;
}

void Backend::release() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    faultChanged_.notify_all();
}

void Backend::resume() {
    std::lock_guard lock(mutex_);
    released_ = false;
}

void Backend::setClock(Clock clock) {
    std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}

std::chrono::system_clock::time_point Backend::now() const {
    std::lock_guard lock(mutex_);
    return currentTime();
}

std::chrono::system_clock::time_point Backend::currentTime() const {
    return clock_ ? clock_() : std::chrono::system_clock::now();
}

void Backend::overrideQuote(const std::string& symbol, const QuoteFields& fields) {
    if (symbol.empty()) {
        throw std::invalid_argument("a quote override needs a symbol");
    }
    for (const auto& [name, value] : fields) {
        if (!isElementName(name)) {
            throw std::invalid_argument("'" + name + "' is not a quote field name");
        }
    }
    std::lock_guard lock(mutex_);
    QuoteFields& fixed = overrides_[base::toUpperAscii(symbol)];
    mergeFields(fixed, fields);
}

void Backend::clearQuoteOverrides(const std::string& symbol) {
    std::lock_guard lock(mutex_);
    if (symbol.empty()) {
        overrides_.clear();
    } else {
        overrides_.erase(base::toUpperAscii(symbol));
    }
}

std::vector<UserAction> Backend::actions() const {
    std::lock_guard lock(mutex_);
    return actions_;
}

bool Backend::hasAction(const std::string& type, const std::optional<std::string>& reason) const {
    std::lock_guard lock(mutex_);
    return std::any_of(actions_.begin(), actions_.end(), [&](const UserAction& action) {
        return action.type == type && (!reason || action.reason == *reason);
    });
}

void Backend::clearActions() {
    std::lock_guard lock(mutex_);
    actions_.clear();
}

std::vector<ServedRequest> Backend::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void Backend::addAccount(const std::string& userId, const std::string& password) {
    std::lock_guard lock(mutex_);
    accounts_.add(userId, password);
}

std::size_t Backend::sessionCount() const {
    std::lock_guard lock(mutex_);
    return accounts_.sessionCount();
}

}  // namespace kavex::services
