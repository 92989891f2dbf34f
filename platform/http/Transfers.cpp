#include "platform/http/Transfers.h"

#include <algorithm>

#include "platform/http/RequestImpl.h"
#include "platform/os/MessageLoop.h"

namespace kavex::http::detail {

Transfers& Transfers::instance() {
    static Transfers transfers;
    return transfers;
}

Transfers::Transfers() : multi_(curl_multi_init()) {}

Transfers::~Transfers() {
    for (Request::Impl* request : running_) {
        curl_multi_remove_handle(multi_, request->easy);
    }
    curl_multi_cleanup(multi_);
}

void Transfers::ensureHook() {
    if (!hookToken_.expired()) {
        return;
    }
    auto token = std::make_shared<int>(0);
    hookToken_ = token;
    os::messageLoop().addPollHook(
        [token]() {
            const TurnResult turn = Transfers::instance().poll();
            return os::PollResult{turn.ranSomething, turn.running > 0};
        },
        [token](std::chrono::milliseconds bound) { Transfers::instance().wait(bound); });
}

void Transfers::start(Request::Impl& request) {
    const CURLMcode rc = curl_multi_add_handle(multi_, request.easy);
    if (rc != CURLM_OK) {
        request.finish(CURLE_FAILED_INIT);
        request.error = curl_multi_strerror(rc);
        toNotify_.push_back(&request);
        return;
    }
    running_.insert(&request);
    ensureHook();
    // Connects and sends at once, so that the server works on the request while the caller goes
    // on with other work before it next turns the message loop. A few turns of curl's own, none
    // of them waiting: the first starts the connection, a later one finds it made and sends. What
    // finishes is reported by the next poll(), handlers included, as for any turn.
    constexpr int kTurnsToSend = 4;
    for (int turn = 0; turn < kTurnsToSend; ++turn) {
        int stillRunning = 0;
        curl_multi_perform(multi_, &stillRunning);
        long sent = 0;
        if (curl_easy_getinfo(request.easy, CURLINFO_REQUEST_SIZE, &sent) != CURLE_OK || sent > 0) {
            break;
        }
    }
}

void Transfers::stop(Request::Impl& request) {
    if (running_.erase(&request) != 0) {
        curl_multi_remove_handle(multi_, request.easy);
    }
}

void Transfers::died(Request::Impl& request) {
    stop(request);
    alive_.erase(&request);
    std::erase(toNotify_, &request);
}

void Transfers::wait(std::chrono::milliseconds bound) {
    if (running_.empty()) {
        return;
    }
    // Wakes on the transfers' sockets, or when curl's own time-outs call for a turn.
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(bound.count()), nullptr);
}

Transfers::TurnResult Transfers::poll() {
    TurnResult result;
    if (!running_.empty()) {
        int stillRunning = 0;
        curl_multi_perform(multi_, &stillRunning);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            void* owner = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
            auto* request = static_cast<Request::Impl*>(owner);
            const CURLcode code = message->data.result;
            if (request == nullptr || running_.erase(request) == 0) {
                continue;
            }
            curl_multi_remove_handle(multi_, request->easy);
            request->finish(code);
            toNotify_.push_back(request);
        }
    }
    // Handlers run last: they may start, stop or destroy requests and spin the loop.
    std::vector<Request::Impl*> notify;
    notify.swap(toNotify_);
    for (Request::Impl* request : notify) {
        result.ranSomething = true;
        if (alive_.count(request) != 0) {
            request->notify();
        }
    }
    result.running = running_.size();
    return result;
}

}  // namespace kavex::http::detail
