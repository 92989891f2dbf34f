#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/os/MessageLoop.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScenarioRunner.h"

namespace kavex::tool {
namespace {

struct Outcome {
    RunStatus status;
    std::string out;
    std::string report;
};

// The full command table plus `refresh-like`, which does what a sheet refresh does while it
// waits for its data: it notes the active sheet, spins the message loop, and notes it again.
const CommandTable& table() {
    static const CommandTable commands = [] {
        CommandTable t = buildCommandTable();
        t.add({"refresh-like", "", "waits as a refresh does", 0, 0,
               [](ScenarioContext& context, const CommandArgs&) {
                   sheet::Application& app = context.application();
                   const std::string before = app.activeSheet().name();
                   app.setStatusBar(base::Variant("Waiting for data"));
                   for (int i = 0; i < 3; ++i) {
                       os::DoEvents();
                   }
                   context.out() << before << " -> " << app.activeSheet().name() << "\n";
                   app.setStatusBar(base::Variant(false));
               }});
        return t;
    }();
    return commands;
}

Outcome run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream report;
    ScenarioRunner runner(table(), {}, out, report);
    const RunStatus status = runner.runStream(in, "t.kvs");
    return {status, out.str(), report.str()};
}

TEST(HostStateCommands, SwitchesReadBackAsTheyWereSet) {
    const Outcome r =
        run("new\n"
            "expect-host calculation automatic\n"
            "expect-host events true\n"
            "expect-host screen-updating true\n"
            "expect-host status-bar false\n"
            "expect-host cursor default\n"
            "expect-host cancel-key interrupt\n"
            "host calculation manual\n"
            "host enable-events false\n"
            "expect-host calculation MANUAL\n"
            "expect-host calculation -4135\n"
            "expect-host events false\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

TEST(HostStateCommands, ASwitchThatDiffersNamesBothValues) {
    const Outcome r = run("new\nhost calculation manual\nexpect-host calculation automatic\n");
    EXPECT_EQ(r.status, RunStatus::ExpectationFailed);
    EXPECT_EQ(r.report,
              "t.kvs:3: expectation failed: expect-host calculation automatic\n"
              "  subject:  the host's calculation mode\n"
              "  expected: \"automatic\"\n"
              "  found:    \"manual\"\n");
    const Outcome bad = run("new\nexpect-host cursor sideways\n");
    EXPECT_EQ(bad.status, RunStatus::CouldNotRun);
    EXPECT_NE(bad.report.find("default, wait, arrow, ibeam"), std::string::npos) << bad.report;
}

TEST(HostStateCommands, SelectionReadsBackWithItsSheet) {
    const Outcome r =
        run("expect-selection <none>\n"
            "new\n"
            "expect-selection A1\n"
            "select B2:C3\n"
            "expect-selection B2:C3\n"
            "expect-selection Sheet1!B2:C3\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
    const Outcome wrong = run("new\nselect B2\nexpect-selection B3\n");
    EXPECT_EQ(wrong.status, RunStatus::ExpectationFailed);
    EXPECT_NE(wrong.report.find("found:    \"Sheet1!B2\""), std::string::npos) << wrong.report;
}

TEST(HostStateCommands, DuringWaitRunsInsideTheNextWaitOnly) {
    // The sheet is switched while the command waits, not before it and not after it.
    const Outcome r =
        run("new\n"
            "test-sheet \"Price Losers\"\n"
            "during-wait activate \"Price Losers\"\n"
            "expect-active Sheet1\n"
            "refresh-like\n"
            "expect-active \"Price Losers\"\n"
            "refresh-like\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
    EXPECT_EQ(r.out, "Sheet1 -> Price Losers\nPrice Losers -> Price Losers\n");
}

TEST(HostStateCommands, DuringWaitSeesTheStateOfTheWait) {
    // What the command shows while it waits can be checked from inside the wait.
    const Outcome r =
        run("new\n"
            "during-wait expect-host status-bar \"Waiting for data\"\n"
            "refresh-like\n"
            "expect-host status-bar false\n"
            "during-wait select C3\n"
            "wait 1\n"
            "expect-selection C3\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

TEST(HostStateCommands, ADuringWaitFailureIsReportedWithItsLine) {
    const Outcome failed =
        run("new\n"
            "during-wait expect-active Other\n"
            "refresh-like\n");
    EXPECT_EQ(failed.status, RunStatus::ExpectationFailed);
    EXPECT_NE(failed.report.find("t.kvs:3: expectation failed: refresh-like"), std::string::npos)
        << failed.report;
    EXPECT_NE(failed.report.find("(during-wait of line 2)"), std::string::npos) << failed.report;

    const Outcome broken =
        run("new\n"
            "during-wait activate Missing\n"
            "wait 1\n"
            "echo not reached\n");
    EXPECT_EQ(broken.status, RunStatus::CouldNotRun);
    EXPECT_NE(broken.report.find("t.kvs:3: "), std::string::npos) << broken.report;
    EXPECT_NE(broken.report.find("(during-wait of line 2)"), std::string::npos) << broken.report;
    EXPECT_EQ(broken.out, "");
}

TEST(HostStateCommands, ADuringWaitThatNeverRunsOrCannotRunIsAScriptFault) {
    const Outcome never = run("new\nduring-wait activate Sheet1\nexpect-active Sheet1\n");
    EXPECT_EQ(never.status, RunStatus::CouldNotRun);
    EXPECT_NE(never.report.find("during-wait of line 2 never ran ('activate Sheet1')"),
              std::string::npos)
        << never.report;

    const Outcome unknown = run("new\nduring-wait dance\n");
    EXPECT_EQ(unknown.status, RunStatus::CouldNotRun);
    EXPECT_NE(unknown.report.find("t.kvs:2: during-wait: unknown command 'dance'"),
              std::string::npos)
        << unknown.report;
}

}  // namespace
}  // namespace kavex::tool
