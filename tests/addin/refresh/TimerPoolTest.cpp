#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "services/Fault.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::refresh {
namespace {

using testing::LiveServicesFixture;

const base::Variant kMissing = base::Variant::missing();

// The pool with its timers, against the live services, in simulated time.
class TimerPoolTest : public LiveServicesFixture {
  protected:
    void SetUp() override {
        LiveServicesFixture::SetUp();
        os::machineClock().startSimulationUtc(1'700'000'000'000);
        InitializeTimerPool();
    }
    void TearDown() override {
        LiveServicesFixture::TearDown();
        os::machineClock().useRealTime();
    }

    short queueUserAction(const std::string& reason) {
        return FireDataFetchCommand(kCommandUserAction, "", kMissing, 12, "Book1", "Watch List", "",
                                    reason);
    }
    os::Timer& poolTimer(short index) { return *Timers->DataFetcherPool(index); }
    // Lets the pool timers tick once.
    void tick() { os::messageLoop().runFor(1.5); }
    bool logHas(const std::string& text) { return log().find(text) != std::string::npos; }
};

TEST_F(TimerPoolTest, InitialisingCreatesSevenDisabledTimersAndFreesTheEntries) {
    TimerPool(3).Status = kEntryRunning;
    TimerPool(3).LastStatus = "OK";
    AutoRefreshTickCount = 17;
    InitializeTimerPool();
    ASSERT_TRUE(Timers);
    for (short i = 1; i <= 5; ++i) {
        EXPECT_FALSE(poolTimer(i).Enabled());
        EXPECT_EQ(poolTimer(i).Interval(), 1000);
        EXPECT_EQ(TimerPool(i).Status, kEntryFree);
    }
    EXPECT_EQ(TimerPool(3).LastStatus, "OK");
    EXPECT_FALSE(Timers->tmrAutoRefresh->Enabled());
    EXPECT_EQ(Timers->tmrAutoRefresh->Interval(), 1000);
    EXPECT_FALSE(Timers->tmrSessionTimeOut->Enabled());
    EXPECT_EQ(Timers->tmrSessionTimeOut->Interval(), 60000);
    EXPECT_EQ(AutoRefreshTickCount, 0);

    DestroyTimerPool();
    EXPECT_FALSE(Timers);
    DestroyTimerPool();  // twice is harmless
}

TEST_F(TimerPoolTest, SixJobsWithinASecondGetFiveEntriesAndTheSixthIsDropped) {
    for (short expected = 1; expected <= 5; ++expected) {
        EXPECT_EQ(queueUserAction("job " + std::to_string(expected)), expected);
        EXPECT_TRUE(poolTimer(expected).Enabled());
        EXPECT_EQ(TimerPool(expected).Status, kEntryBooked);
    }
    EXPECT_EQ(queueUserAction("job 6"), kPoolAllBusy);
    EXPECT_TRUE(
        logHas("FireDataFetchCommand\tEntering with FetchCommand :6 and ActiveSheet :Watch "
               "List\n"));
    EXPECT_TRUE(logHas("FireDataFetchCommand\tTimer Enabled: 5\n"));
    EXPECT_FALSE(logHas("Timer Enabled: -100"));
    EXPECT_TRUE(
        logHas("FireDataFetchCommand\tCan not process command [6] as all timers are busy."));
    EXPECT_TRUE(forms::scriptedDriver().messages().empty());

    tick();
    for (short i = 1; i <= 5; ++i) {
        EXPECT_EQ(TimerPool(i).Status, kEntryFree);
        EXPECT_EQ(TimerPool(i).LastStatus, "OK") << i;
        EXPECT_FALSE(poolTimer(i).Enabled());
        EXPECT_TRUE(server_->backend().hasAction("12", "job " + std::to_string(i)));
    }
    EXPECT_FALSE(server_->backend().hasAction("12", "job 6"));
}

TEST_F(TimerPoolTest, AFreedEntryIsTheNextOneBooked) {
    for (short i = 1; i <= 5; ++i)
        queueUserAction("busy");
    EXPECT_EQ(FreeTimerInPool(2), base::Variant(true));
    EXPECT_EQ(BookNextTimerInPool(), 2);
    EXPECT_EQ(BookNextTimerInPool(), kPoolAllBusy);
}

TEST_F(TimerPoolTest, EnablingChecksTheIndexTheBookingAndTheTimer) {
    EXPECT_EQ(EnableTimerInPool(6), kPoolIndexOutOfRange);
    EXPECT_EQ(EnableTimerInPool(-1), kPoolIndexOutOfRange);
    // Index 0 passes the range test and then fails on the entry: an unexpected failure.
    EXPECT_EQ(EnableTimerInPool(0), 0);
    EXPECT_TRUE(logHas("Exiting unsuccessfully with TimerIndexToBeEnabled :0 and error : (9)"));

    EXPECT_EQ(EnableTimerInPool(1), kPoolNotBooked);
    EXPECT_FALSE(poolTimer(1).Enabled());

    const short index = queueUserAction("running");
    ASSERT_EQ(index, 1);
    EXPECT_EQ(EnableTimerInPool(index), kPoolTimerAlreadyEnabled);

    EXPECT_EQ(BookNextTimerInPool(), 2);
    EXPECT_EQ(EnableTimerInPool(2), kPoolDone);
    EXPECT_TRUE(poolTimer(2).Enabled());
}

TEST_F(TimerPoolTest, FreeingClearsEverythingButTheLastStatus) {
    ASSERT_EQ(FireDataFetchCommand(kCommandRefreshData, "NYSE", std::vector<std::string>{"IBM"}, 3,
                                   "book1.xls", "Watch List", "Portfolio", "why"),
              1);
    TimerPoolEntry& entry = TimerPool(1);
    EXPECT_EQ(entry.CommandCode, kCommandRefreshData);
    EXPECT_EQ(entry.SheetName, "NYSE");
    EXPECT_EQ(entry.Arg3, "Portfolio");
    entry.LastStatus = "PARTIALOK";
    EXPECT_EQ(FreeTimerInPool(1), base::Variant(true));
    EXPECT_TRUE(logHas("FreeTimerInPool\tEntering with TimerPoolIndex :1\n"));
    EXPECT_TRUE(logHas("FreeTimerInPool\tExiting successfully with TimerPoolIndex :1\n"));
    EXPECT_EQ(entry.Status, kEntryFree);
    EXPECT_EQ(entry.CommandCode, 0);
    EXPECT_EQ(entry.SheetName, "");
    EXPECT_FALSE(marketdata::HasSymbols(entry.SymbolList));
    EXPECT_EQ(entry.ActionValue, 0);
    EXPECT_EQ(entry.Arg1 + entry.Arg2 + entry.Arg3 + entry.Arg4 + entry.LastLoginDate, "");
    EXPECT_EQ(entry.LastStatus, "PARTIALOK");
    // The timer is not touched.
    EXPECT_TRUE(poolTimer(1).Enabled());

    EXPECT_EQ(FreeTimerInPool(0), base::Variant(static_cast<int>(kPoolIndexOutOfRange)));
    EXPECT_EQ(FreeTimerInPool(6), base::Variant(static_cast<int>(kPoolIndexOutOfRange)));
}

TEST_F(TimerPoolTest, EachCodeStoresOnlyItsOwnArguments) {
    core::LastLoginDate = "2024-01-01";
    FireDataFetchCommand(kCommandSymbolListUpkeep, "X", std::vector<std::string>{"IBM"}, 4, "a",
                         "b", "c", "d");
    FireDataFetchCommand(kCommandAddSymbols, "X", std::vector<std::string>{"IBM"}, 4, "a", "b", "c",
                         "d");
    FireDataFetchCommand(kCommandDivSplitAndAlerts, "X", std::vector<std::string>{"IBM"}, 4, "a",
                         "b", "c", "d");
    EXPECT_EQ(TimerPool(1).LastLoginDate, "2024-01-01");
    EXPECT_FALSE(marketdata::HasSymbols(TimerPool(1).SymbolList));
    EXPECT_EQ(TimerPool(1).ActionValue, 0);
    EXPECT_TRUE(marketdata::HasSymbols(TimerPool(2).SymbolList));
    EXPECT_EQ(TimerPool(2).ActionValue, 4);
    EXPECT_EQ(TimerPool(2).Arg4 + TimerPool(2).SheetName + TimerPool(2).LastLoginDate, "");
    EXPECT_EQ(TimerPool(3).CommandCode, kCommandDivSplitAndAlerts);
    EXPECT_EQ(TimerPool(3).Arg1 + TimerPool(3).LastLoginDate, "");
    EXPECT_FALSE(marketdata::HasSymbols(TimerPool(3).SymbolList));

    FireDataFetchCommand(kCommandUserAction, "X", std::vector<std::string>{"IBM"}, 4, "a", "b", "c",
                         "d");
    FireDataFetchCommand(kCommandRefreshData, "X", std::vector<std::string>{"IBM"}, 4, "a", "b",
                         "c", "d");
    const TimerPoolEntry& action = TimerPool(4);
    EXPECT_EQ(action.ActionValue, 4);
    EXPECT_EQ(action.Arg1 + action.Arg2 + action.Arg3 + action.Arg4, "abcd");
    EXPECT_EQ(action.SheetName + action.LastLoginDate, "");
    EXPECT_FALSE(marketdata::HasSymbols(action.SymbolList));
    const TimerPoolEntry& refresh = TimerPool(5);
    EXPECT_EQ(refresh.SheetName, "X");
    EXPECT_EQ(marketdata::SymbolsOf(refresh.SymbolList), std::vector<std::string>{"IBM"});
    EXPECT_EQ(refresh.ActionValue, 4);
    EXPECT_EQ(refresh.Arg1 + refresh.Arg2 + refresh.Arg3 + refresh.Arg4, "abcd");
    EXPECT_EQ(refresh.LastLoginDate, "");
}

TEST_F(TimerPoolTest, ThePoolAddsSymbolsOnTheTick) {
    ASSERT_EQ(FireDataFetchCommand(kCommandAddSymbols, "", std::vector<std::string>{"IBM", "KO"}, 0,
                                   "", "", "", ""),
              1);
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData"), 0u);
    tick();
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData WHERE SymbolData IS NOT NULL"), 2u);
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
}

TEST_F(TimerPoolTest, EachSymbolListCodeRunsItsOwnStepWithTheDateCopiedWhenQueued) {
    core::LastLoginDate = "1/1/2023 10:00:00 AM";
    EXPECT_EQ(FireDataFetchCommand(kCommandNewSymbols, "", kMissing, 0, "", "", "", ""), 1);
    EXPECT_EQ(FireDataFetchCommand(kCommandDelistedSymbols, "", kMissing, 0, "", "", "", ""), 2);
    EXPECT_EQ(FireDataFetchCommand(kCommandChangedSymbols, "", kMissing, 0, "", "", "", ""), 3);
    core::LastLoginDate = "changed after queueing";
    tick();
    for (const char* page :
         {"/datafeeder/GetNewSymbols2.jsp", "/datafeeder/GetDelistedSymbols2.jsp",
          "/datafeeder/GetChangedSymbols2.jsp"}) {
        const auto requests = requestsTo(page);
        ASSERT_EQ(requests.size(), 1u) << page;
        const auto date = requests[0].params.find("LastLoginDate");
        ASSERT_NE(date, requests[0].params.end()) << page;
        EXPECT_EQ(date->second, "1/1/2023 10:00:00 AM") << page;
    }
    EXPECT_EQ(servedPaths().size(), 3u);
    // The symbol-list operations answer the empty text on success; the pool records "OK".
    for (short i = 1; i <= 3; ++i)
        EXPECT_EQ(TimerPool(i).LastStatus, "OK") << i;
}

TEST_F(TimerPoolTest, ARefreshJobFetchesItsOwnSymbols) {
    ASSERT_EQ(FireDataFetchCommand(kCommandRefreshData, "", std::vector<std::string>{"KO"}, 0,
                                   "book1.xls", "Watch List", "", ""),
              1);
    tick();
    EXPECT_EQ(column("SELECT Symbol FROM AQ_StockSymbolData WHERE SymbolData IS NOT NULL"),
              std::vector<std::string>{"KO"});
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
}

TEST_F(TimerPoolTest, SymbolListUpkeepStopsAtItsFirstError) {
    server_->setFault(services::Fault::InvalidSession);
    FireDataFetchCommand(kCommandSymbolListUpkeep, "", kMissing, 0, "", "", "", "");
    tick();
    EXPECT_EQ(requestsTo("/datafeeder/GetChangedSymbols2.jsp").size(), 1u);
    EXPECT_TRUE(requestsTo("/datafeeder/GetNewSymbols2.jsp").empty());
    EXPECT_TRUE(requestsTo("/datafeeder/GetDelistedSymbols2.jsp").empty());
    EXPECT_EQ(TimerPool(1).LastStatus, "invalid_session");
    EXPECT_TRUE(
        logHas("ProcessTimerInPool\tError: DataFetcher Error on Timer Pool Index: 1 Error "
               "Code: invalid_session Description: "));
    EXPECT_EQ(TimerPool(1).Status, kEntryFree);
}

TEST_F(TimerPoolTest, SymbolListUpkeepRunsAllThreeStepsInOrder) {
    core::LastLoginDate = "";
    FireDataFetchCommand(kCommandSymbolListUpkeep, "", kMissing, 0, "", "", "", "");
    tick();
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
    EXPECT_EQ(servedPaths(), (std::vector<std::string>{"/datafeeder/GetChangedSymbols2.jsp",
                                                       "/datafeeder/GetNewSymbols2.jsp",
                                                       "/datafeeder/GetDelistedSymbols2.jsp"}));
    EXPECT_GT(count("SELECT Symbol FROM AQ_StockSymbolList"), 50u);
}

TEST_F(TimerPoolTest, DividendsWithoutTheFlagAreSkippedButAlertsAreSynchronised) {
    session::DivSplitProcessFlag = "0";
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('MSFT')");
    FireDataFetchCommand(kCommandDivSplitAndAlerts, "", kMissing, 0, "", "", "", "");
    tick();
    EXPECT_TRUE(requestsTo("/datafeeder/GetDivSplData.jsp").empty());
    EXPECT_EQ(requestsTo("/datafeeder/SyncAlerts.jsp").size(), 1u);
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
}

TEST_F(TimerPoolTest, DividendsWithTheFlagRunBeforeTheAlertSync) {
    session::DivSplitProcessFlag = "1";
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('MSFT')");
    FireDataFetchCommand(kCommandDivSplitAndAlerts, "", kMissing, 0, "", "", "", "");
    tick();
    EXPECT_EQ(servedPaths(), (std::vector<std::string>{"/datafeeder/GetDivSplData.jsp",
                                                       "/datafeeder/SyncAlerts.jsp"}));
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
}

TEST_F(TimerPoolTest, AnUnknownCodeRunsNothingAndIsLoggedWithAnEmptyCode) {
    EXPECT_EQ(FireDataFetchCommand(1, "", kMissing, 0, "", "", "", ""), 1);
    tick();
    EXPECT_TRUE(servedPaths().empty());
    EXPECT_TRUE(
        logHas("Error: DataFetcher Error on Timer Pool Index: 1 Error Code:  Description: "));
    EXPECT_EQ(TimerPool(1).Status, kEntryFree);
    EXPECT_EQ(TimerPool(1).LastStatus, "");
    EXPECT_TRUE(logHas("ProcessTimerInPool\tEntering with TimerPoolIndex : 1\n"));
    EXPECT_TRUE(logHas("ProcessTimerInPool\tExiting successfully with TimerPoolIndex: 1\n"));
}

TEST_F(TimerPoolTest, AJobRunsOnceEvenWhenItSpinsTheMessageLoop) {
    // The report waits for the service, turning the message loop meanwhile.
    queueUserAction("once");
    tick();
    tick();
    std::size_t reports = 0;
    for (const auto& action : server_->backend().actions())
        reports += action.reason == "once" ? 1 : 0;
    EXPECT_EQ(reports, 1u);
}

TEST_F(TimerPoolTest, AJobBookedByALoginDuringAnotherJobsWaitIsNotFreedWithIt) {
    // While the first report waits for the service, the user logs out and in again: the pool is
    // set up afresh and the login's job books entry 1 again.
    bool loggedInAgain = false;
    const os::PollHookId hook = os::messageLoop().addPollHook([&] {
        if (loggedInAgain || TimerPool(1).Status != kEntryRunning)
            return os::PollResult{};
        loggedInAgain = true;
        DestroyTimerPool();
        InitializeTimerPool();
        EXPECT_EQ(queueUserAction("after login"), 1);
        return os::PollResult{true, false};
    });
    queueUserAction("before logout");
    tick();
    ASSERT_TRUE(loggedInAgain);
    EXPECT_TRUE(server_->backend().hasAction("12", "before logout"));
    EXPECT_EQ(TimerPool(1).Status, kEntryBooked);
    EXPECT_TRUE(poolTimer(1).Enabled());
    tick();
    os::messageLoop().removePollHook(hook);
    EXPECT_TRUE(server_->backend().hasAction("12", "after login"));
    EXPECT_EQ(TimerPool(1).Status, kEntryFree);
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
}

// The upkeep reads its date in each of its three steps. A logout and login during its first
// step frees its entry and books it for a later job with another date: the upkeep goes on with
// its own date, and leaves the later job's entry as that job booked it.
TEST_F(TimerPoolTest, ARunningJobKeepsItsOwnArgumentsAndLeavesALaterBookingAlone) {
    core::LastLoginDate = "1/1/2023 10:00:00 AM";
    bool loggedInAgain = false;
    const os::PollHookId hook = os::messageLoop().addPollHook([&] {
        if (loggedInAgain || TimerPool(1).Status != kEntryRunning)
            return os::PollResult{};
        loggedInAgain = true;
        DestroyTimerPool();
        InitializeTimerPool();
        core::LastLoginDate = "6/1/2024 9:00:00 AM";
        EXPECT_EQ(FireDataFetchCommand(kCommandChangedSymbols, "", kMissing, 0, "", "", "", ""), 1);
        return os::PollResult{true, false};
    });
    FireDataFetchCommand(kCommandSymbolListUpkeep, "", kMissing, 0, "", "", "", "");
    tick();
    ASSERT_TRUE(loggedInAgain);
    const auto dateOf = [](const services::ServedRequest& request) {
        const auto date = request.params.find("LastLoginDate");
        return date == request.params.end() ? std::string("(none)") : date->second;
    };
    for (const char* page :
         {"/datafeeder/GetNewSymbols2.jsp", "/datafeeder/GetDelistedSymbols2.jsp"}) {
        const auto requests = requestsTo(page);
        ASSERT_EQ(requests.size(), 1u) << page;
        EXPECT_EQ(dateOf(requests[0]), "1/1/2023 10:00:00 AM") << page;
    }
    EXPECT_EQ(TimerPool(1).Status, kEntryBooked);
    EXPECT_EQ(TimerPool(1).CommandCode, kCommandChangedSymbols);
    EXPECT_EQ(TimerPool(1).LastLoginDate, "6/1/2024 9:00:00 AM");
    tick();
    os::messageLoop().removePollHook(hook);
    const auto changed = requestsTo("/datafeeder/GetChangedSymbols2.jsp");
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(dateOf(changed[0]), "1/1/2023 10:00:00 AM");
    EXPECT_EQ(dateOf(changed[1]), "6/1/2024 9:00:00 AM");
    EXPECT_EQ(TimerPool(1).Status, kEntryFree);
}

TEST_F(TimerPoolTest, WithoutTimersAJobStaysBookedUntilTheNextLogin) {
    DestroyTimerPool();
    EXPECT_EQ(queueUserAction("lost"), 0);
    EXPECT_EQ(TimerPool(1).Status, kEntryBooked);
    EXPECT_TRUE(logHas("Exiting unsuccessfully with TimerIndexToBeEnabled :1 and error : (91)"));
    // Running an entry by hand without timers fails inside the pool itself: it stays running.
    EXPECT_EQ(ProcessTimerInPool(1), "");
    EXPECT_EQ(TimerPool(1).Status, kEntryRunning);
    EXPECT_TRUE(logHas("Error: Timer Pool Index: 1 Error Number: 91 Description: "));
    InitializeTimerPool();
    EXPECT_EQ(TimerPool(1).Status, kEntryFree);
    EXPECT_EQ(queueUserAction("found"), 1);
}

TEST_F(TimerPoolTest, TheAutoRefreshTimerSwitchesCountFromZero) {
    AutoRefreshTickCount = 12;
    ManualRefreshInProgress = true;
    StartAutoRefreshTimer();
    EXPECT_TRUE(Timers->tmrAutoRefresh->Enabled());
    EXPECT_EQ(AutoRefreshTickCount, 0);
    EXPECT_FALSE(ManualRefreshInProgress);
    StopAutoRefreshTimer();
    EXPECT_FALSE(Timers->tmrAutoRefresh->Enabled());
    DestroyTimerPool();
    StartAutoRefreshTimer();  // no timers: nothing to switch, nothing fails
    EXPECT_FALSE(Timers);
}

class SessionTimeOutTest : public TimerPoolTest {
  protected:
    void minute() { os::messageLoop().runFor(60.0); }
};

TEST_F(SessionTimeOutTest, WithoutAutomaticRefreshTheIdleCountStartsAgain) {
    core::AutoUpdateMode = 0;
    Timers->tmrSessionTimeOut->setEnabled(true);
    IdleTickCount = 58;
    minute();
    EXPECT_EQ(IdleTickCount, 59);
    minute();
    EXPECT_EQ(IdleTickCount, 60);
    minute();
    EXPECT_EQ(IdleTickCount, 0);
    minute();
    EXPECT_EQ(IdleTickCount, 1);
    EXPECT_FALSE(session::UserSessionKey.empty());
    EXPECT_TRUE(Timers);
}

TEST_F(SessionTimeOutTest, WithAutomaticRefreshThe61stIdleMinuteLogsOut) {
    core::AutoUpdateMode = 1;
    Timers->tmrSessionTimeOut->setEnabled(true);
    IdleTickCount = 0;
    for (int i = 0; i < 60; ++i)
        minute();
    EXPECT_EQ(IdleTickCount, 60);
    EXPECT_FALSE(session::UserSessionKey.empty());
    minute();
    EXPECT_TRUE(session::UserSessionKey.empty());
    EXPECT_FALSE(Timers);
    EXPECT_EQ(IdleTickCount, 60);
    EXPECT_TRUE(server_->backend().hasAction("logout", "Logout Session Timeout"));
}

}  // namespace
}  // namespace kavex::addin::refresh
