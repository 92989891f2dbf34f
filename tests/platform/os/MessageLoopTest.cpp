#include "platform/os/MessageLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/os/Clock.h"
#include "platform/os/Timer.h"
#include "tests/platform/os/CivilTime.h"

namespace kavex::os {
namespace {

using testing::civilMillis;

class MessageLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        messageLoop().reset();
        machineClock().startSimulationUtc(start);
    }
    void TearDown() override {
        messageLoop().reset();
        machineClock().useRealTime();
    }
    std::int64_t elapsed() const { return machineClock().epochMillis() - start; }

    const std::int64_t start = civilMillis(2024, 5, 6, 14, 0, 0);
};

TEST_F(MessageLoopTest, AnIdleHourOfSimulatedTimeTakesWellUnderASecond) {
    Timer everySecond;
    int ticks = 0;
    everySecond.setOnTimer([&] { ++ticks; });
    everySecond.setInterval(1000);
    everySecond.setEnabled(true);

    const auto before = std::chrono::steady_clock::now();
    messageLoop().runFor(3600);
    const auto took = std::chrono::steady_clock::now() - before;

    EXPECT_EQ(ticks, 3600);
    EXPECT_EQ(elapsed(), 3600 * 1000);
    EXPECT_LT(took, std::chrono::milliseconds(500));
}

TEST_F(MessageLoopTest, WaitingWithNoTimerStillMovesTheClockExactly) {
    messageLoop().runFor(30);
    EXPECT_EQ(elapsed(), 30000);
}

TEST_F(MessageLoopTest, TicksFireInDueOrderAndOnlyInsideDoEvents) {
    std::vector<std::string> order;
    Timer slow, fast, middle;
    slow.setOnTimer([&] { order.push_back("slow"); });
    fast.setOnTimer([&] { order.push_back("fast"); });
    middle.setOnTimer([&] { order.push_back("middle"); });
    slow.setInterval(3000);
    fast.setInterval(1000);
    middle.setInterval(2000);
    slow.setEnabled(true);
    fast.setEnabled(true);
    middle.setEnabled(true);

    machineClock().advance(10000);  // all overdue, nothing ticks until the loop runs
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(DoEvents());
    EXPECT_EQ(order, (std::vector<std::string>{"fast", "middle", "slow"}));
}

TEST_F(MessageLoopTest, AnIdleYieldMovesTheClockOneSmallStepOnly) {
    Timer timer;
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    timer.setInterval(60000);
    timer.setEnabled(true);

    EXPECT_FALSE(DoEvents());
    EXPECT_EQ(ticks, 0);
    EXPECT_GT(elapsed(), 0);
    EXPECT_LE(elapsed(), 50);

    // A loop spinning until a deadline still gets there, in a bounded number of turns.
    int turns = 0;
    while (elapsed() < 30000) {
        DoEvents();
        ++turns;
    }
    EXPECT_EQ(ticks, 0);
    EXPECT_LE(turns, 30000);
    EXPECT_LT(elapsed(), 30100);
}

TEST_F(MessageLoopTest, AWaitSkipsFromOneDueTimerToTheNextAndTicksEach) {
    Timer everyTwenty, everyMinute;
    std::vector<std::int64_t> twenty, minute;
    everyTwenty.setOnTimer([&] { twenty.push_back(elapsed()); });
    everyMinute.setOnTimer([&] { minute.push_back(elapsed()); });
    everyTwenty.setInterval(20000);
    everyMinute.setInterval(60000);
    everyTwenty.setEnabled(true);
    everyMinute.setEnabled(true);

    messageLoop().runFor(120);
    EXPECT_EQ(twenty, (std::vector<std::int64_t>{20000, 40000, 60000, 80000, 100000, 120000}));
    EXPECT_EQ(minute, (std::vector<std::int64_t>{60000, 120000}));
    EXPECT_EQ(elapsed(), 120000);
}

TEST_F(MessageLoopTest, ADisabledTimerNeverTicks) {
    Timer timer;
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    timer.setInterval(1000);
    timer.setEnabled(true);
    timer.setEnabled(false);
    Timer zeroInterval;
    zeroInterval.setOnTimer([&] { ++ticks; });
    zeroInterval.setEnabled(true);  // Interval 0: never ticks

    messageLoop().runFor(120);
    EXPECT_EQ(ticks, 0);
}

TEST_F(MessageLoopTest, ReEnablingOrChangingTheIntervalRestartsIt) {
    Timer timer;
    std::vector<std::int64_t> tickTimes;
    timer.setOnTimer([&] { tickTimes.push_back(elapsed()); });
    timer.setInterval(1000);
    timer.setEnabled(true);
    messageLoop().runFor(0.9);
    timer.setEnabled(false);
    timer.setEnabled(true);  // restarts at 900
    messageLoop().runFor(1.0);
    EXPECT_EQ(tickTimes, (std::vector<std::int64_t>{1900}));

    timer.setInterval(5000);  // restarts at 1900 with the new interval
    messageLoop().runFor(5.0);
    EXPECT_EQ(tickTimes, (std::vector<std::int64_t>{1900, 6900}));
}

TEST_F(MessageLoopTest, SettingTheWallClockNeitherFiresNorDelaysTimers) {
    Timer timer;
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    timer.setInterval(60000);
    timer.setEnabled(true);
    messageLoop().runFor(30);
    machineClock().startSimulationUtc(start + 24LL * 3600 * 1000);  // a day later
    messageLoop().runFor(30);
    EXPECT_EQ(ticks, 1);  // after the remaining 30 seconds on the tick count
    EXPECT_EQ(machineClock().epochMillis(), start + 24LL * 3600 * 1000 + 30000);
    machineClock().startSimulationUtc(start);  // and back
    messageLoop().runFor(59);
    EXPECT_EQ(ticks, 1);
    messageLoop().runFor(1);
    EXPECT_EQ(ticks, 2);
}

TEST_F(MessageLoopTest, ATimerDisabledByAnEarlierTickInTheSameTurnDoesNotTick) {
    Timer first, second;
    int secondTicks = 0;
    first.setOnTimer([&] { second.setEnabled(false); });
    second.setOnTimer([&] { ++secondTicks; });
    first.setInterval(1000);
    second.setInterval(1000);
    first.setEnabled(true);
    second.setEnabled(true);
    messageLoop().runFor(5);
    EXPECT_EQ(secondTicks, 0);
}

TEST_F(MessageLoopTest, ATickHandlerSpinningTheLoopIsNotReEntered) {
    Timer pool, other;
    int depth = 0;
    int maxDepth = 0;
    int poolTicks = 0;
    int otherTicks = 0;
    pool.setOnTimer([&] {
        ++poolTicks;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        // A 30-second wait inside the tick, as a refresh waiting for its fetch does.
        const auto until = machineClock().epochMillis() + 30000;
        while (machineClock().epochMillis() < until) {
            DoEvents();
        }
        --depth;
    });
    other.setOnTimer([&] { ++otherTicks; });
    pool.setInterval(1000);
    other.setInterval(1000);
    pool.setEnabled(true);
    other.setEnabled(true);

    messageLoop().runFor(1.5);
    EXPECT_EQ(poolTicks, 1);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(otherTicks, 29);  // other timers go on ticking during the wait
}

TEST_F(MessageLoopTest, AYieldInsideATickDoesNotJumpPastItsOwnNextTick) {
    // A one-second timer whose handler yields once, beside a one-minute timer: the yield finds
    // nothing to run and costs one small step, so every second still has its tick.
    Timer everySecond, everyMinute;
    int secondTicks = 0;
    int minuteTicks = 0;
    everySecond.setOnTimer([&] {
        ++secondTicks;
        DoEvents();
    });
    everyMinute.setOnTimer([&] { ++minuteTicks; });
    everySecond.setInterval(1000);
    everyMinute.setInterval(60000);
    everySecond.setEnabled(true);
    everyMinute.setEnabled(true);

    messageLoop().runFor(120);
    EXPECT_EQ(elapsed(), 120000);
    EXPECT_EQ(secondTicks, 120);
    EXPECT_EQ(minuteTicks, 2);
}

TEST_F(MessageLoopTest, ATimerSwitchedOffAroundAYieldKeepsItsOwnRhythm) {
    // A one-second timer that, every 31st tick, switches itself off, yields and switches itself
    // back on (as a refresh does), beside a one-minute timer: the only one armed during the
    // yield. The yield must not carry the clock to the minute.
    Timer everySecond, everyMinute;
    int count = 0;
    std::vector<std::int64_t> rounds;
    everySecond.setOnTimer([&] {
        if (count < 30) {
            ++count;
            return;
        }
        count = 0;
        rounds.push_back(elapsed());
        everySecond.setEnabled(false);
        DoEvents();
        everySecond.setEnabled(true);
    });
    everyMinute.setOnTimer([] {});
    everySecond.setInterval(1000);
    everyMinute.setInterval(60000);
    everySecond.setEnabled(true);
    everyMinute.setEnabled(true);

    messageLoop().runFor(300);
    ASSERT_GE(rounds.size(), 9u);
    EXPECT_LE(rounds.size(), 10u);
    for (std::size_t i = 1; i < rounds.size(); ++i) {
        EXPECT_LT(rounds[i] - rounds[i - 1], 32000) << "round " << i;
    }
}

TEST_F(MessageLoopTest, ATimerReleasedInsideItsOwnTickFinishesThatTick) {
    auto timer = CreateTimerObject("VBATimer.Timer");
    bool finished = false;
    timer->setOnTimer([&] {
        timer.reset();  // a logout from the session timer releases the timers
        finished = true;
    });
    timer->setInterval(1000);
    timer->setEnabled(true);
    messageLoop().runFor(3);
    EXPECT_TRUE(finished);
    EXPECT_EQ(messageLoop().ticksDelivered(), 1u);
}

TEST_F(MessageLoopTest, OnlyTheTimerProgramIdCreatesATimer) {
    EXPECT_NE(CreateTimerObject("vbatimer.timer"), nullptr);
    try {
        CreateTimerObject("Some.Other");
        FAIL() << "expected error 429";
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), 429);
    }
    Timer timer;
    EXPECT_THROW(timer.setInterval(-1), base::PlatformError);
}

TEST_F(MessageLoopTest, PostedActionsRunInOrderAndOneThatPostsAgainRunsOnTheNextTurn) {
    std::vector<int> ran;
    messageLoop().post([&] { ran.push_back(1); });
    messageLoop().post([&] {
        ran.push_back(2);
        messageLoop().post([&] { ran.push_back(3); });
    });
    EXPECT_TRUE(DoEvents());
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(DoEvents());
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST_F(MessageLoopTest, PollHooksRunEachTurnAndAPendingOneHoldsTheClockToRealTime) {
    int polls = 0;
    bool pending = true;
    const PollHookId id = messageLoop().addPollHook([&] {
        ++polls;
        return PollResult{false, pending};
    });
    Timer farAway;
    farAway.setInterval(3600 * 1000);
    farAway.setEnabled(true);

    EXPECT_FALSE(DoEvents());
    EXPECT_EQ(polls, 1);
    EXPECT_LT(elapsed(), 1000);  // no jump while an answer is awaited

    pending = false;
    const std::int64_t before = elapsed();
    EXPECT_FALSE(DoEvents());  // a yield: one small step, no jump
    EXPECT_LE(elapsed() - before, 50);
    messageLoop().runFor(3600 - elapsed() / 1000.0);  // a wait skips to the far timer
    EXPECT_EQ(elapsed(), 3600 * 1000);
    const int pollsBefore = polls;
    messageLoop().removePollHook(id);
    DoEvents();
    EXPECT_EQ(polls, pollsBefore);
}

TEST_F(MessageLoopTest, AnAwaitedAnswerIsWaitedOnUntilItHasNewsOrTheNextTimerIsDue) {
    std::vector<std::int64_t> bounds;
    bool pending = true;
    const PollHookId id = messageLoop().addPollHook(
        [&] {
            return PollResult{false, pending};
        },
        [&](std::chrono::milliseconds bound) {
            bounds.push_back(bound.count());
            std::this_thread::sleep_for(std::chrono::milliseconds(3));  // news after 3 ms
        });

    EXPECT_FALSE(DoEvents());
    ASSERT_EQ(bounds.size(), 1U);
    EXPECT_EQ(bounds.back(), 10) << "no longer than a yield's step";
    EXPECT_GE(elapsed(), 3) << "the clock follows the real time waited";
    EXPECT_LT(elapsed(), 1000);

    Timer soon;
    soon.setInterval(4);
    soon.setEnabled(true);
    DoEvents();
    ASSERT_EQ(bounds.size(), 2U);
    EXPECT_EQ(bounds.back(), 4) << "not past the next timer";
    // Off again: on a loaded machine the 3 ms waited may already have brought it due, and its
    // tick would be the next turn's work instead of the sleep looked at below.
    soon.setEnabled(false);

    // A second hook awaiting work of its own: neither is waited on, the loop sleeps a step.
    const PollHookId other = messageLoop().addPollHook(
        [&] {
            return PollResult{false, true};
        },
        [&](std::chrono::milliseconds bound) { bounds.push_back(bound.count()); });
    const std::size_t before = bounds.size();
    const std::int64_t clockBefore = elapsed();
    DoEvents();
    EXPECT_EQ(bounds.size(), before);
    EXPECT_GE(elapsed() - clockBefore, 1);
    messageLoop().removePollHook(other);
    messageLoop().removePollHook(id);
}

TEST_F(MessageLoopTest, AHookThatSpinsTheLoopIsNotReEntered) {
    int depth = 0;
    int maxDepth = 0;
    ScopedPollHook hook([&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        DoEvents();
        --depth;
        return PollResult{};
    });
    DoEvents();
    EXPECT_EQ(maxDepth, 1);
}

TEST_F(MessageLoopTest, SleepMovesSimulatedTimeWithoutRunningTicks) {
    Timer timer;
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    timer.setInterval(10);
    timer.setEnabled(true);
    Sleep(50);
    EXPECT_EQ(elapsed(), 50);
    EXPECT_EQ(ticks, 0);
    DoEvents();
    EXPECT_EQ(ticks, 1);  // missed ticks are not made up
}

}  // namespace
}  // namespace kavex::os
