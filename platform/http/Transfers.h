#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/http/Request.h"

namespace kavex::http::detail {

// The asynchronous transfers under way, on curl's multi interface, advanced by poll() from the
// message loop. Completion handlers run after curl's own work of the turn, and only for requests
// that still exist by then, so a handler may open, send, abort or destroy any request (its own
// included) and may spin the message loop.
class Transfers {
  public:
    static Transfers& instance();

    ~Transfers();
    Transfers(const Transfers&) = delete;
    Transfers& operator=(const Transfers&) = delete;

    void start(Request::Impl& request);
    // Takes the request out of the running set (abort, destruction); no effect when not there.
    void stop(Request::Impl& request);

    // A request that exists (constructed and not destroyed), for the handler dispatch.
    void born(Request::Impl& request) { alive_.insert(&request); }
    void died(Request::Impl& request);

    // The request reached readyState 3 inside curl's callback: notify it after the turn.
    void noteStateChange(Request::Impl& request) { toNotify_.push_back(&request); }

    struct TurnResult {
        bool ranSomething = false;
        std::size_t running = 0;
    };
    TurnResult poll();
    // Blocks until a running transfer has news (its socket is ready, curl has a time-out to
    // handle), at most the time given.
    void wait(std::chrono::milliseconds bound);
    std::size_t running() const { return running_.size(); }

  private:
    Transfers();
    void ensureHook();

    CURLM* multi_ = nullptr;
    std::unordered_set<Request::Impl*> running_;
    std::unordered_set<Request::Impl*> alive_;
    std::vector<Request::Impl*> toNotify_;
    // Alive while the message loop holds our poll hook (the loop drops hooks when it is reset).
    std::weak_ptr<int> hookToken_;
};

}  // namespace kavex::http::detail
