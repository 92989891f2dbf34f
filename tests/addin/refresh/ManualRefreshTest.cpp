#include "addin/refresh/ManualRefresh.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>

#include "addin/functions/KavexConnectMethods.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/StartupTables.h"
#include "platform/base/Conversions.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/Clock.h"
#include "platform/os/MachineZone.h"
#include "platform/os/Timer.h"
#include "platform/spreadsheet/Application.h"
#include "services/Fault.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::refresh {
namespace {

// The add-in's workbook in a host that knows the add-in's functions, against the stand-in
// services, with the timer pool set up as a login leaves it; simulated time.
class ManualRefreshTest : public testing::LiveServicesFixture {
  protected:
    void SetUp() override {
        os::setMachineTimeZone("America/New_York");
        os::machineClock().startSimulation(*base::makeDate(2024, 7, 10, 10, 0, 0));  // a Wednesday
        LiveServicesFixture::SetUp();
        const std::string key = session::UserSessionKey;
        session::InitAddInVariables();
        session::UserSessionKey = key;
        core::ExcelApp = &app;
        core::ExcelCommandBars = office::CommandBars();
        core::ExcelCommandBars.Add("KavexToolbar");
        for (const functions::InterfaceMethod& method : functions::KavexConnectMethods()) {
            if (method.call) {
                app.registerFunction(std::string(method.name),
                                     functions::WorksheetFunctionFor(method));
            }
        }
        book = app.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
        InitializeTimerPool();
        AutoRefreshTickCount = 0;
        ManualRefreshInProgress = false;
    }
    void TearDown() override {
        LiveServicesFixture::TearDown();
        core::ExcelApp = nullptr;
        core::ExcelCommandBars = office::CommandBars();
        core::DataRefreshInterval = 0;
        os::machineClock().useRealTime();
        os::resetMachineTimeZone();
    }
    sheet::Worksheet watchList(const std::string& symbol) {
        sheet::Worksheet ws = book.worksheets().item("Watch List");
        ws.range("B5").setValue(base::Variant(symbol));
        ws.range("D5").setFormula("=KavexLast(B5)");
        return ws;
    }
    std::string shown(const sheet::Worksheet& ws, const std::string& ref) {
        return base::CStr(ws.range(ref).value());
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> prompts;
        for (const auto& m : forms::scriptedDriver().messages()) {
            prompts.push_back(m.prompt);
        }
        return prompts;
    }
    bool logHas(const std::string& text) const { return log().find(text) != std::string::npos; }
    std::size_t refreshesLogged() const {
        const std::string text = log();
        const std::string begin = "ProcessManualRefresh\tBegin";
        std::size_t found = 0;
        for (auto at = text.find(begin); at != std::string::npos; at = text.find(begin, at + 1)) {
            ++found;
        }
        return found;
    }
    // Runs the action inside the refresh's wait: the refresh yields once before it reads the
    // sheet, and the wait is where it yields next.
    static void duringTheWait(std::function<void()> action) {
        os::messageLoop().post([action] { os::messageLoop().post(action); });
    }

    sheet::Application app;
    sheet::Workbook book;
};

TEST_F(ManualRefreshTest, TheSheetsSymbolsAreFetchedThenTheSheetIsRebuilt) {
    sheet::Worksheet ws = watchList("IBM");
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData where SymbolData is not null"), 0u);
    app.setStatusBar(base::Variant(std::string("something")));
    ProcessManualRefresh(false, true, 0, "", "", true);
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData where Symbol = 'IBM' and SymbolData is "
                    "not null"),
              1u);
    EXPECT_EQ(shown(ws, "D5").front(), '$') << shown(ws, "D5");
    // The sheet uses no exchange function, so no index was fetched: the header waits for one.
    EXPECT_EQ(shown(ws, "A2"), "");
    EXPECT_TRUE(app.enableEvents());
    EXPECT_EQ(base::CStr(app.statusBar()), "Ready");
    EXPECT_FALSE(ManualRefreshInProgress);
    EXPECT_EQ(app.enableCancelKey(), 1);
    EXPECT_TRUE(logHas("ProcessManualRefresh\tBegin"));
    EXPECT_TRUE(logHas("ProcessManualRefresh\tEnd"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ManualRefreshTest, WithEveryJobRecordTakenTheUserIsToldAndTheSheetRebuiltFromTheCache) {
    watchList("IBM");
    for (int i = 0; i < 5; ++i) {
        BookNextTimerInPool();
    }
    ProcessManualRefresh(false, true, 4, "Portfolio", "", true);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], kTooManyActionsMessage);
    EXPECT_EQ(forms::scriptedDriver().messages()[0].style, forms::vbCritical);
    EXPECT_EQ(forms::scriptedDriver().messages()[0].title, "Kavex");
    EXPECT_TRUE(logHas("Can not process command [6] as all timers are busy."));
    EXPECT_TRUE(logHas("RefreshWorksheet\tExiting"));
}

TEST_F(ManualRefreshTest, AJobThatNeverRunsEndsTheWaitAfter30SecondsWithTheTimeOutMessage) {
    sheet::Worksheet ws = watchList("IBM");
    const auto start = os::machineClock().tickMillis();
    // The pool goes away during the wait (as a logout does): the job is never run.
    duringTheWait([] { Timers.reset(); });
    ProcessManualRefresh(false, true, 0, "", "", true);
    EXPECT_GE(os::machineClock().tickMillis() - start, 30000);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], kTimedOutMessage);
    EXPECT_EQ(shown(ws, "D5"), "#INVALID!") << "rebuilt from what the cache holds";
    EXPECT_TRUE(logHas("RefreshWorksheet\tExiting"));
    EXPECT_FALSE(ManualRefreshInProgress);
}

TEST_F(ManualRefreshTest, AJobThatNeverFreesItsEntryEndsTheWaitAfter30SimulatedSeconds) {
    sheet::Worksheet ws = watchList("IBM");
    Timers->tmrSessionTimeOut->setEnabled(true);  // a minute away: the wait must not skip to it
    IdleTickCount = 0;
    const auto start = os::machineClock().tickMillis();
    // The job starts and never comes back: its entry stays running, its timer off.
    duringTheWait([] {
        TimerPool(1).Status = kEntryRunning;
        Timers->tmrDataFetcherPool1->setEnabled(false);
    });
    ProcessManualRefresh(false, true, 0, "", "", true);
    const auto waited = os::machineClock().tickMillis() - start;
    EXPECT_GT(waited, 30000);
    EXPECT_LT(waited, 32500);
    EXPECT_EQ(IdleTickCount, 0) << "the session timer's minute has not come";
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], kTimedOutMessage);
    EXPECT_EQ(forms::scriptedDriver().messages()[0].style, forms::vbCritical);
    EXPECT_EQ(shown(ws, "D5"), "#INVALID!") << "rebuilt from what the cache holds";
    EXPECT_FALSE(ManualRefreshInProgress);
}

TEST_F(ManualRefreshTest, AFetchJobSpinningWhileItsRequestIsUnderWayLetsOtherTimersTickOnTime) {
    watchList("IBM");
    Timers->tmrSessionTimeOut->setEnabled(true);
    IdleTickCount = 0;
    os::Timer everyTenth;
    int tenths = 0;
    everyTenth.setOnTimer([&] { ++tenths; });
    everyTenth.setInterval(100);
    everyTenth.setEnabled(true);
    // Every answer of the services takes a while: the job's requests are under way meanwhile.
    server_->backend().setSlowDelay(std::chrono::milliseconds(300));
    server_->setFault(services::Fault::Slow);
    const auto start = os::machineClock().tickMillis();
    ProcessManualRefresh(false, true, 0, "", "", true);
    const auto waited = os::machineClock().tickMillis() - start;
    server_->setFault(services::Fault::None);

    EXPECT_TRUE(messages().empty()) << "the answers came within the wait";
    EXPECT_EQ(TimerPool(1).LastStatus, "OK");
    EXPECT_GE(waited, 600) << "two slow answers at least";
    EXPECT_LT(waited, 30000);
    EXPECT_EQ(IdleTickCount, 0) << "no jump to the session timer's minute";
    EXPECT_GE(tenths, waited / 100 - 3) << "waited " << waited << " ms";
    EXPECT_LE(tenths, waited / 100 + 1) << "waited " << waited << " ms";
}

TEST_F(ManualRefreshTest, ASheetLeftDuringTheWaitIsNotRebuilt) {
    watchList("IBM");
    duringTheWait([this] { book.worksheets().item("Portfolio").activate(); });
    ProcessManualRefresh(false, true, 0, "", "", true);
    EXPECT_EQ(app.activeSheet().name(), "Portfolio");
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData where Symbol = 'IBM' and SymbolData is "
                    "not null"),
              1u)
        << "the data is fetched";
    EXPECT_EQ(shown(book.worksheets().item("Watch List"), "A2"), "");
    EXPECT_EQ(shown(book.worksheets().item("Portfolio"), "A2"), "");
    EXPECT_FALSE(logHas("RefreshWorksheet\tEntering"));
}

TEST_F(ManualRefreshTest, NothingWithoutASessionAndOnlyTheTimerWhileMinimized) {
    watchList("IBM");
    const std::string key = session::UserSessionKey;
    session::UserSessionKey.clear();
    ProcessManualRefresh(false, true, 0, "", "", true);
    EXPECT_FALSE(logHas("ProcessManualRefresh"));

    session::UserSessionKey = key;
    core::DataRefreshInterval = 30;
    app.setWindowState(sheet::xlMinimized);
    ProcessManualRefresh(false, true, 0, "", "", true);
    EXPECT_FALSE(logHas("ProcessManualRefresh\tBegin"));
    EXPECT_EQ(TimerPool(1).Status, kEntryFree) << "nothing was queued";
    EXPECT_TRUE(Timers->tmrAutoRefresh->Enabled());
}

TEST_F(ManualRefreshTest, ASessionWithoutItsTimerPoolStillRefreshesAndLogsTheError) {
    sheet::Worksheet ws = watchList("IBM");
    DestroyTimerPool();
    core::DataRefreshInterval = 30;
    core::AutoUpdateMode = 1;
    ProcessManualRefresh(false, false, 0, "", "", false);
    EXPECT_FALSE(ManualRefreshInProgress);
    EXPECT_EQ(base::CStr(app.statusBar()), "Ready");
    EXPECT_TRUE(logHas("Error: 91 Description: Object variable or With block variable not set"))
        << log();
    core::AutoUpdateMode = 0;
    InitializeTimerPool();
}

TEST_F(ManualRefreshTest, AutoRefreshComesEvery31TicksInsideMarketHoursOnly) {
    watchList("IBM");
    core::DataRefreshInterval = 30;
    core::AutoUpdateMode = 1;
    for (int tick = 1; tick <= 30; ++tick) {
        ProcessAutoRefresh();
    }
    EXPECT_EQ(AutoRefreshTickCount, 30);
    EXPECT_FALSE(logHas("ProcessManualRefresh\tBegin"));
    ProcessAutoRefresh();
    EXPECT_TRUE(logHas("ProcessManualRefresh\tBegin"));
    EXPECT_EQ(AutoRefreshTickCount, 0);
    EXPECT_EQ(TimerPool(1).CommandCode, kCommandRefreshData) << "queued, not waited for";
    EXPECT_TRUE(Timers->tmrAutoRefresh->Enabled());
    // The ticks below are the test's own.
    Timers->tmrAutoRefresh->setEnabled(false);
    TimerPool(1).Status = kEntryFree;
    Timers->tmrDataFetcherPool1->setEnabled(false);

    // A runaway count starts again; while a refresh runs the ticks only count.
    AutoRefreshTickCount = 2001;
    ProcessAutoRefresh();
    EXPECT_EQ(AutoRefreshTickCount, 1);
    AutoRefreshTickCount = 30;
    ManualRefreshInProgress = true;
    ProcessAutoRefresh();
    EXPECT_EQ(AutoRefreshTickCount, 31);
    ManualRefreshInProgress = false;

    // Saturday: the count goes back to 0 each time it reaches the interval.
    os::machineClock().startSimulation(*base::makeDate(2024, 7, 13, 10, 0, 0));
    AutoRefreshTickCount = 30;
    ProcessAutoRefresh();
    EXPECT_EQ(AutoRefreshTickCount, 0);
    EXPECT_TRUE(logHas("ProcessAutoRefresh\tNot WithinMarketTiming"));
}

// Automatic refresh, with the session timer armed as a login leaves it: each interval has its
// refresh, whatever the one-minute timer is doing. The refresh comes on the tick that finds the
// count at the interval, so one comes every interval + 1 seconds.
class AutoRefreshRhythmTest : public ManualRefreshTest,
                              public ::testing::WithParamInterface<std::tuple<short, int>> {};

TEST_P(AutoRefreshRhythmTest, EachIntervalHasItsRefresh) {
    const auto [interval, refreshes] = GetParam();
    watchList("IBM");
    core::DataRefreshInterval = interval;
    core::AutoUpdateMode = 1;
    Timers->tmrSessionTimeOut->setEnabled(true);
    StartAutoRefreshTimer();
    const double period = interval + 1;
    // A little before the last expected refresh, and a little after it.
    os::messageLoop().runFor(refreshes * period - 2);
    EXPECT_EQ(refreshesLogged(), static_cast<std::size_t>(refreshes - 1));
    os::messageLoop().runFor(4);
    EXPECT_EQ(refreshesLogged(), static_cast<std::size_t>(refreshes));
    EXPECT_FALSE(session::UserSessionKey.empty());
    core::AutoUpdateMode = 0;
}

// 30 s: ten refreshes in the first 310 s (nine in the first 300); 45 s: six in 276 s; 60 s: five
// in 305 s; 10 minutes: two in 1202 s.
INSTANTIATE_TEST_SUITE_P(Intervals, AutoRefreshRhythmTest,
                         ::testing::Values(std::make_tuple(short{30}, 10),
                                           std::make_tuple(short{45}, 6),
                                           std::make_tuple(short{60}, 5),
                                           std::make_tuple(short{600}, 2)));

TEST_F(ManualRefreshTest, WithAutomaticRefreshRunningTheIdleLogoutComesAfter60Minutes) {
    watchList("IBM");
    core::DataRefreshInterval = 30;
    core::AutoUpdateMode = 1;
    Timers->tmrSessionTimeOut->setEnabled(true);
    IdleTickCount = 0;
    StartAutoRefreshTimer();
    os::messageLoop().runFor(60 * 60 + 30);
    EXPECT_EQ(IdleTickCount, 60);
    EXPECT_FALSE(session::UserSessionKey.empty());
    EXPECT_GE(refreshesLogged(), 116u);  // every 31 s all along
    os::messageLoop().runFor(60);
    EXPECT_TRUE(session::UserSessionKey.empty()) << "the 61st idle minute logs out";
    EXPECT_FALSE(Timers);
    EXPECT_TRUE(server_->backend().hasAction("logout", "Logout Session Timeout"));
    core::AutoUpdateMode = 0;
}

}  // namespace
}  // namespace kavex::addin::refresh
