#include "platform/os/MessageLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <thread>

#include "platform/os/Clock.h"
#include "platform/os/Timer.h"

namespace kavex::os {

namespace {
constexpr std::int64_t NoTimer = std::numeric_limits<std::int64_t>::max();
// How far a yield that finds nothing to run moves simulated time: small against every timer's
// interval, so no tick is skipped, yet a loop spinning until a deadline still reaches it in a
// bounded number of turns (100 per simulated second).
constexpr std::int64_t YieldStepMillis = 10;

// Clears a flag when a handler returns or throws.
class FlagGuard {
  public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& flag_;
};
}  // namespace

MessageLoop::MessageLoop() = default;
MessageLoop::~MessageLoop() = default;

MessageLoop& messageLoop() {
    static MessageLoop instance;
    return instance;
}

bool MessageLoop::DoEvents() {
    return turn(std::nullopt);
}

bool MessageLoop::turn(std::optional<std::int64_t> waitUntil) {
    Awaited awaited;
    bool ran = runHooks(awaited);
    ran = runPosted() || ran;
    ran = runDueTimers() || ran;
    if (ran || !machineClock().isSimulated()) {
        return ran;
    }
    const std::int64_t now = machineClock().tickMillis();
    std::int64_t target = now;
    if (awaited.pending) {
        // Outside work is under way (a network answer): let real time pass and keep the clock
        // in step with it, so that time-outs still mean something.
        target = now + awaitOutsideWork(awaited, waitUntil);
    } else if (!waitUntil) {
        // A yield costs the time of one pass of the loop, never more: the clock moves one small
        // step, however far away the next timer is.
        target = now + YieldStepMillis;
    } else {
        // Only a wait skips an idle stretch, and only up to the next timer that is due.
        const std::int64_t next = nextDueMillis();
        target = next == NoTimer ? *waitUntil : std::min(next, *waitUntil);
    }
    if (!waitUntil) {
        machineClock().advanceTicksTo(target);
        return false;
    }
    // A wait ticks the timer it moved to at once, so that one ending on a due time sees the tick.
    machineClock().advanceTicksTo(std::min(target, *waitUntil));
    return runDueTimers();
}

void MessageLoop::runFor(double seconds) {
    const std::int64_t target =
        machineClock().tickMillis() + static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    if (machineClock().isSimulated()) {
        // Each turn either runs something or moves the clock towards the target; a handler that
        // itself takes longer than its interval cannot keep the wait from ending.
        do {
            turn(target);
        } while (machineClock().tickMillis() < target);
        return;
    }
    while (true) {
        const bool ran = turn(std::nullopt);
        const std::int64_t now = machineClock().tickMillis();
        if (now >= target) {
            return;
        }
        if (!ran) {
            const std::int64_t wait = std::min<std::int64_t>(
                {5, target - now, std::max<std::int64_t>(0, nextDueMillis() - now)});
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        }
    }
}

void MessageLoop::post(std::function<void()> action) {
    posted_.push_back(std::move(action));
}

PollHookId MessageLoop::addPollHook(PollHook hook, OutsideWait wait) {
    const PollHookId id = nextHookId_++;
    hooks_.emplace(id, std::make_shared<Hook>(Hook{std::move(hook), std::move(wait), false}));
    return id;
}

void MessageLoop::removePollHook(PollHookId id) {
    hooks_.erase(id);
}

void MessageLoop::reset() {
    posted_.clear();
    hooks_.clear();
    for (const auto& weak : timers_) {
        if (auto timer = weak.lock()) {
            timer->enabled = false;
            timer->registered = false;
        }
    }
    timers_.clear();
    ticksDelivered_ = 0;
    awaitedMicrosOwed_ = 0;
}

void MessageLoop::registerTimer(const std::shared_ptr<TimerState>& timer) {
    if (timer->registered) {
        return;
    }
    timer->registered = true;
    // Drop timers that no longer exist before adding.
    std::erase_if(timers_, [](const std::weak_ptr<TimerState>& weak) { return weak.expired(); });
    timers_.push_back(timer);
}

std::int64_t MessageLoop::awaitOutsideWork(const Awaited& awaited,
                                           std::optional<std::int64_t> waitUntil) {
    const auto before = std::chrono::steady_clock::now();
    if (awaited.waitable && awaited.wait) {
        // Until the work has news, but no longer than a yield's step, nor past the next timer
        // that is due or the end of the wait: the clock follows real time meanwhile, so that
        // timer comes due on time.
        const std::int64_t now = machineClock().tickMillis();
        std::int64_t bound = std::min(YieldStepMillis, nextDueMillis() - now);
        if (waitUntil) {
            bound = std::min(bound, *waitUntil - now);
        }
        bound = std::max<std::int64_t>(0, bound);
        awaited.wait(std::chrono::milliseconds(bound));
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    awaitedMicrosOwed_ += std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - before)
                              .count();
    const std::int64_t millis = awaitedMicrosOwed_ / 1000;
    awaitedMicrosOwed_ %= 1000;
    return millis;
}

bool MessageLoop::runHooks(Awaited& awaited) {
    bool ran = false;
    // A hook may add or remove hooks (or itself) while it runs: work on a snapshot.
    std::vector<std::shared_ptr<Hook>> snapshot;
    snapshot.reserve(hooks_.size());
    for (const auto& [id, hook] : hooks_) {
        snapshot.push_back(hook);
    }
    for (const auto& hook : snapshot) {
        bool pending = false;
        bool waitable = static_cast<bool>(hook->wait);
        if (hook->running) {
            // It is the one spinning this loop; it knows it is still waiting. Its work is not
            // taken in until it returns, so news of it would not end a wait: none is waited on.
            pending = true;
            waitable = false;
        } else {
            PollResult result;
            {
                FlagGuard guard(hook->running);
                result = hook->hook();
            }
            ran = ran || result.ranSomething;
            pending = result.pending;
        }
        if (pending) {
            // Waiting on one hook's work would not see another's news: only a single waitable
            // hook is waited on, anything else sleeps a short fixed step.
            awaited.waitable = awaited.waitable && !awaited.pending && waitable;
            awaited.pending = true;
            awaited.wait = hook->wait;
        }
    }
    return ran;
}

bool MessageLoop::runPosted() {
    // Only what was queued before this turn: an action that posts again runs on the next turn.
    std::vector<std::function<void()>> batch;
    batch.swap(posted_);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        try {
            batch[i]();
        } catch (...) {
            // Keep the actions not run yet, ahead of anything posted meanwhile.
            posted_.insert(posted_.begin(), std::make_move_iterator(batch.begin() + i + 1),
                           std::make_move_iterator(batch.end()));
            throw;
        }
    }
    return !batch.empty();
}

bool MessageLoop::runDueTimers() {
    const std::int64_t now = machineClock().tickMillis();
    std::vector<std::shared_ptr<TimerState>> due;
    for (const auto& weak : timers_) {
        auto timer = weak.lock();
        if (timer && timer->enabled && timer->intervalMillis > 0 && !timer->ticking &&
            timer->dueMillis <= now) {
            due.push_back(std::move(timer));
        }
    }
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
        return a->dueMillis != b->dueMillis ? a->dueMillis < b->dueMillis : a->order < b->order;
    });
    bool ran = false;
    for (const auto& timer : due) {
        // An earlier tick may have switched this one off or restarted it.
        if (!timer->enabled || timer->ticking || timer->intervalMillis <= 0 ||
            timer->dueMillis > machineClock().tickMillis()) {
            continue;
        }
        const std::int64_t start = machineClock().tickMillis();
        const std::uint64_t generation = timer->armGeneration;
        const std::function<void()> handler = timer->onTimer;  // survives the timer's release
        ++ticksDelivered_;
        ran = true;
        auto reschedule = [&] {
            if (timer->enabled && timer->armGeneration == generation) {
                // Ticks missed while the handler ran are not made up: at most one is owed.
                timer->dueMillis =
                    std::max(start + timer->intervalMillis, machineClock().tickMillis());
            }
        };
        try {
            FlagGuard guard(timer->ticking);
            if (handler) {
                handler();
            }
        } catch (...) {
            reschedule();
            throw;
        }
        reschedule();
    }
    return ran;
}

std::int64_t MessageLoop::nextDueMillis() const {
    std::int64_t next = NoTimer;
    for (const auto& weak : timers_) {
        auto timer = weak.lock();
        if (!timer || !timer->enabled || timer->intervalMillis <= 0) {
            continue;
        }
        // A timer whose handler is running is not due again until it returns.
        if (!timer->ticking) {
            next = std::min(next, timer->dueMillis);
        }
    }
    return next;
}

}  // namespace kavex::os
