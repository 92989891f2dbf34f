#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kavex::os {

class TimerState;

// What a poll hook reports on each turn of the loop: whether it completed anything, and whether
// it still waits for outside work (a network answer). While any hook waits, an idle loop in
// simulated time lets real time pass instead of jumping to the next timer.
struct PollResult {
    bool ranSomething = false;
    bool pending = false;
};

using PollHook = std::function<PollResult()>;
using PollHookId = std::uint64_t;
// Blocks until a hook's outside work may have news (bytes of an answer arrived, a connection
// opened), or at most the time given, whichever comes first.
using OutsideWait = std::function<void(std::chrono::milliseconds)>;

// The user-interface thread's message loop: timer ticks, asynchronous completions polled through
// registered hooks, and posted actions, all run on the calling thread inside DoEvents. A hook or
// a timer whose own work spins the loop is not re-entered while it runs.
class MessageLoop {
  public:
    MessageLoop();
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // One turn (a yield): poll hooks, posted actions queued before this turn, due timer ticks in
    // due order. Returns whether anything ran. As on a real machine a yield costs almost no time:
    // in simulated time a turn that ran nothing moves the clock by one small fixed step (real
    // time while a network answer is awaited), never on to the next timer.
    bool DoEvents();

    // Waits until `seconds` have passed on the clock with the loop running. In simulated time an
    // idle stretch is skipped at once, from one due timer to the next, each ticking on time.
    void runFor(double seconds);

    void post(std::function<void()> action);

    // A hook that can wait on its outside work lets an idle loop in simulated time block on it
    // until it has news instead of sleeping a fixed step: an answer is taken in as soon as it
    // arrives.
    PollHookId addPollHook(PollHook hook, OutsideWait wait = {});
    void removePollHook(PollHookId id);

    // Drops posted actions and hooks and forgets every timer (timers keep existing, but no longer
    // tick until re-enabled). For tests.
    void reset();

    // Number of ticks delivered since the last reset (diagnostics and tests).
    std::uint64_t ticksDelivered() const { return ticksDelivered_; }

    // Used by Timer.
    void registerTimer(const std::shared_ptr<TimerState>& timer);

  private:
    struct Hook {
        PollHook hook;
        OutsideWait wait;
        bool running = false;
    };
    // How a turn lets real time pass while outside work is awaited.
    struct Awaited {
        bool pending = false;
        OutsideWait wait;      // the one way to wait on all of it, if there is one
        bool waitable = true;  // false once a pending hook cannot be waited on
    };

    // A yield (no wait) or one turn of a wait that ends at the tick count `waitUntil`.
    bool turn(std::optional<std::int64_t> waitUntil);
    bool runHooks(Awaited& awaited);
    // Lets real time pass on the outside work and returns how many milliseconds of it the
    // simulated clock is to follow.
    std::int64_t awaitOutsideWork(const Awaited& awaited, std::optional<std::int64_t> waitUntil);
    bool runPosted();
    bool runDueTimers();
    std::int64_t nextDueMillis() const;  // INT64_MAX when no timer is armed

    std::vector<std::weak_ptr<TimerState>> timers_;
    std::vector<std::function<void()>> posted_;
    std::map<PollHookId, std::shared_ptr<Hook>> hooks_;
    PollHookId nextHookId_ = 1;
    std::uint64_t ticksDelivered_ = 0;
    // Real time awaited that has not yet made up a whole millisecond of the simulated clock.
    std::int64_t awaitedMicrosOwed_ = 0;
};

// The process-wide loop (the add-in's code calls DoEvents as a global).
MessageLoop& messageLoop();

// The runtime's DoEvents.
inline bool DoEvents() {
    return messageLoop().DoEvents();
}

// Registers a poll hook for the lifetime of this object.
class ScopedPollHook {
  public:
    explicit ScopedPollHook(PollHook hook) : id_(messageLoop().addPollHook(std::move(hook))) {}
    ~ScopedPollHook() { messageLoop().removePollHook(id_); }
    ScopedPollHook(const ScopedPollHook&) = delete;
    ScopedPollHook& operator=(const ScopedPollHook&) = delete;

  private:
    PollHookId id_;
};

}  // namespace kavex::os
