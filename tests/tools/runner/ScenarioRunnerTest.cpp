#include "tools/kavex/runner/ScenarioRunner.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/spreadsheet/Application.h"
#include "tests/platform/spreadsheet/RecordingSink.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {
namespace {

// A table of small commands that need no host: they record what ran, so that a test can see
// where a run stopped.
struct Fixture {
    CommandTable table;
    std::vector<std::string> ran;
    std::vector<std::string> events;
    std::ostringstream out;
    std::ostringstream report;

    Fixture() {
        table.add({"note", "TEXT", "records TEXT", 1, 1,
                   [this](ScenarioContext&, const CommandArgs& args) { ran.push_back(args[0]); }});
        table.add({"check", "EXPECTED FOUND", "fails unless equal", 2, 2,
                   [](ScenarioContext&, const CommandArgs& args) {
                       expectEqual("the check", args[0], args[1]);
                   }});
        table.add({"raise", "NUMBER", "throws a platform error", 1, 1,
                   [](ScenarioContext&, const CommandArgs& args) {
                       throw base::PlatformError(static_cast<long>(args.integer(0, "NUMBER")),
                                                 "raised on purpose");
                   }});
        table.add(
            {"crash", "", "throws something else", 0, 0, [](ScenarioContext&, const CommandArgs&) {
                 throw std::runtime_error("a modal dialog nobody answered: \"Save?\"");
             }});
        table.add({"number", "N", "needs a number", 1, 1,
                   [](ScenarioContext&, const CommandArgs& args) { args.integer(0, "N"); }});
        table.add({"where", "", "records the location", 0, 0,
                   [this](ScenarioContext& context, const CommandArgs&) {
                       ran.push_back(context.location());
                   }});
        table.add({"pair first", "X", "a two-word command", 1, 1,
                   [this](ScenarioContext&, const CommandArgs& args) {
                       ran.push_back(args.command() + ":" + args[0]);
                   }});
        registerRunnerCommands(table);
        table.addHooks({.start = [this](ScenarioContext&) { events.push_back("start"); },
                        .afterCommand = [this](ScenarioContext&) { events.push_back("after"); },
                        .finish = [this](ScenarioContext&) { events.push_back("finish"); }});
    }

    RunStatus run(const std::string& script, const std::string& name = "s.kvs",
                  RunOptions options = {}) {
        std::istringstream in(script);
        ScenarioRunner runner(table, options, out, report);
        return runner.runStream(in, name);
    }
};

TEST(ScenarioRunner, AllHeldIsZeroAndRunsEveryLine) {
    Fixture f;
    EXPECT_EQ(f.run("note a\n\n# comment\n  note \"b c\"\r\ncheck x x\n"), RunStatus::Held);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"a", "b c"}));
    EXPECT_EQ(f.report.str(), "");
    EXPECT_EQ(static_cast<int>(RunStatus::Held), 0);
}

TEST(ScenarioRunner, FailedExpectationIsOneAndStopsWithFileLineExpectedFound) {
    Fixture f;
    EXPECT_EQ(f.run("note a\ncheck 5 6\nnote never\n", "dir/t.kvs"), RunStatus::ExpectationFailed);
    EXPECT_EQ(static_cast<int>(RunStatus::ExpectationFailed), 1);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"a"}));
    const std::string report = f.report.str();
    EXPECT_NE(report.find("dir/t.kvs:2: expectation failed: check 5 6"), std::string::npos)
        << report;
    EXPECT_NE(report.find("expected: \"5\""), std::string::npos) << report;
    EXPECT_NE(report.find("found:    \"6\""), std::string::npos) << report;
}

TEST(ScenarioRunner, FoundValueShowsHiddenCharacters) {
    Fixture f;
    EXPECT_EQ(f.run("check a \"a \\n\"\n"), RunStatus::ExpectationFailed);
    EXPECT_NE(f.report.str().find("found:    \"a \\n\""), std::string::npos) << f.report.str();
}

TEST(ScenarioRunner, UnknownCommandIsTwoWithFileLineReason) {
    Fixture f;
    EXPECT_EQ(f.run("note a\n\nfrobnicate A1\nnote never\n", "u.kvs"), RunStatus::CouldNotRun);
    EXPECT_EQ(static_cast<int>(RunStatus::CouldNotRun), 2);
    EXPECT_EQ(f.report.str(), "u.kvs:3: unknown command 'frobnicate'\n");
    EXPECT_EQ(f.ran, (std::vector<std::string>{"a"}));
}

TEST(ScenarioRunner, WrongArgumentsAreTwoAndTellTheUsage) {
    Fixture f;
    EXPECT_EQ(f.run("check 1\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(),
              "s.kvs:1: check takes 2 arguments, not 1 (usage: check EXPECTED FOUND)\n");

    Fixture g;
    EXPECT_EQ(g.run("number twelve\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(g.report.str(), "s.kvs:1: number: N must be a whole number, not 'twelve'\n");
}

TEST(ScenarioRunner, LexicalErrorIsTwoWithTheColumn) {
    Fixture f;
    EXPECT_EQ(f.run("note \"open\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(), "s.kvs:1: column 6: unterminated quoted text\n");
}

TEST(ScenarioRunner, PlatformErrorAndOtherExceptionsAreTwo) {
    Fixture f;
    EXPECT_EQ(f.run("raise 1004\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(), "s.kvs:1: error 1004: raised on purpose\n");

    Fixture g;
    EXPECT_EQ(g.run("note a\ncrash\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(g.report.str(), "s.kvs:2: a modal dialog nobody answered: \"Save?\"\n");
}

TEST(ScenarioRunner, HooksRunAroundTheScriptEvenWhenItFails) {
    Fixture f;
    EXPECT_EQ(f.run("note a\nnote b\n"), RunStatus::Held);
    EXPECT_EQ(f.events, (std::vector<std::string>{"start", "after", "after", "finish"}));

    Fixture g;
    EXPECT_EQ(g.run("note a\ncheck 1 2\nnote c\n"), RunStatus::ExpectationFailed);
    EXPECT_EQ(g.events, (std::vector<std::string>{"start", "after", "finish"}));
}

TEST(ScenarioRunner, TwoWordCommandsTakeTheArgumentsAfterBothWords) {
    Fixture f;
    EXPECT_EQ(f.run("pair first x\n"), RunStatus::Held);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"pair first:x"}));

    Fixture g;
    EXPECT_EQ(g.run("pair second x\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(g.report.str(), "s.kvs:1: pair: unknown 'second' (known: first)\n");

    Fixture h;
    EXPECT_EQ(h.run("pair first\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(h.report.str(),
              "s.kvs:1: pair first takes 1 argument, not 0 (usage: pair first X)\n");
}

TEST(ScenarioRunner, CommandsSeeTheirLocation) {
    Fixture f;
    EXPECT_EQ(f.run("\nwhere\n", "loc.kvs"), RunStatus::Held);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"loc.kvs:2"}));
}

TEST(ScenarioRunner, ExpectErrorHoldsOnlyForTheNamedError) {
    Fixture f;
    EXPECT_EQ(f.run("expect-error 1004 raise 1004\n"), RunStatus::Held);

    Fixture g;
    EXPECT_EQ(g.run("expect-error 1004 raise 13\n"), RunStatus::ExpectationFailed);
    EXPECT_NE(g.report.str().find("found:    \"error 13: raised on purpose\""), std::string::npos)
        << g.report.str();

    Fixture h;
    EXPECT_EQ(h.run("expect-error 1004 note a\n"), RunStatus::ExpectationFailed);
    EXPECT_NE(h.report.str().find("found:    \"no error\""), std::string::npos);

    // A command the script cannot run is still status 2, not an error that was expected.
    Fixture i;
    EXPECT_EQ(i.run("expect-error 1004 nosuch\n"), RunStatus::CouldNotRun);
}

TEST(ScenarioRunner, SeveralScriptsRunInOrderAndStopAtTheFirstThatFails) {
    Fixture f;
    ScenarioRunner runner(f.table, {}, f.out, f.report);
    EXPECT_EQ(runner.runFiles({KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs",
                               KAVEX_SOURCE_DIR "/tests/tools/runner/data/fails.kvs",
                               KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs"}),
              RunStatus::ExpectationFailed);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"holds", "fails"}));
    EXPECT_NE(f.report.str().find("data/fails.kvs:3: expectation failed"), std::string::npos)
        << f.report.str();
}

TEST(ScenarioRunner, AllScriptsHeldEndsWithTheirCount) {
    Fixture f;
    ScenarioRunner runner(f.table, {}, f.out, f.report);
    EXPECT_EQ(runner.runFiles({KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs",
                               KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs"}),
              RunStatus::Held);
    EXPECT_EQ(f.out.str(), "2 scripts, all held\n");
    Fixture g;
    ScenarioRunner one(g.table, {}, g.out, g.report);
    EXPECT_EQ(one.runFiles({KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs"}),
              RunStatus::Held);
    EXPECT_EQ(g.out.str(), "1 script, all held\n");
}

TEST(ScenarioRunner, KeepGoingRunsEveryScriptAndReportsTheWorst) {
    Fixture f;
    ScenarioRunner runner(f.table, {}, f.out, f.report);
    EXPECT_EQ(runner.runFiles(
                  {KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs",
                   KAVEX_SOURCE_DIR "/tests/tools/runner/data/fails.kvs", "/nonexistent/x.kvs",
                   KAVEX_SOURCE_DIR "/tests/tools/runner/data/holds.kvs"},
                  true),
              RunStatus::CouldNotRun);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"holds", "fails", "holds"}));
    EXPECT_EQ(f.out.str(), "4 scripts: 2 held, 1 failed, 1 could not run\n");
    EXPECT_NE(f.report.str().find("data/fails.kvs:3: expectation failed"), std::string::npos);
    EXPECT_NE(f.report.str().find("/nonexistent/x.kvs: cannot open the script"), std::string::npos);
}

TEST(ScenarioRunner, ADashReadsTheScriptFromStandardInput) {
    Fixture f;
    std::istringstream piped("note piped\ncheck 1 2\n");
    std::streambuf* const saved = std::cin.rdbuf(piped.rdbuf());
    ScenarioRunner runner(f.table, {}, f.out, f.report);
    const RunStatus status = runner.runFiles({"-"});
    std::cin.rdbuf(saved);
    EXPECT_EQ(status, RunStatus::ExpectationFailed);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"piped"}));
    EXPECT_EQ(f.report.str().rfind("<stdin>:2: expectation failed", 0), 0u) << f.report.str();
}

TEST(ScenarioRunner, AByteOrderMarkBeforeTheFirstLineIsSkipped) {
    Fixture f;
    EXPECT_EQ(f.run("\xEF\xBB\xBFnote first\r\nnote second\r\n"), RunStatus::Held)
        << f.report.str();
    EXPECT_EQ(f.ran, (std::vector<std::string>{"first", "second"}));
    // Only at the very start: elsewhere the bytes are the line's own.
    Fixture g;
    EXPECT_EQ(g.run("note first\n\xEF\xBB\xBFnote second\n"), RunStatus::CouldNotRun);
}

// The host goes on after a handler's failure, but the script does not hold with it.
TEST(ScenarioRunner, AFailureEscapingAnEventHandlerStopsTheScript) {
    struct Breaking : sheet::testing::RecordingSink {
        void sheetChange(sheet::Worksheet, sheet::Range) override {
            throw base::PlatformError(1004, "broken");
        }
    };
    Fixture f;
    f.table.add({"write", "", "writes A1 with a sink that fails", 0, 0,
                 [](ScenarioContext& context, const CommandArgs&) {
                     sheet::Application& app = context.application();
                     app.addEventSink(std::make_shared<Breaking>());
                     app.workbooks().add();
                     app.activeSheet().range("A1").setValue(1.0);
                 }});
    EXPECT_EQ(f.run("note before\nwrite\nnote after\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(), "s.kvs:2: the SheetChange handler failed: (1004) broken\n");
    EXPECT_EQ(f.ran, (std::vector<std::string>{"before"}));
}

TEST(ScenarioRunner, MissingScriptIsTwo) {
    Fixture f;
    ScenarioRunner runner(f.table, {}, f.out, f.report);
    EXPECT_EQ(runner.runFile("/nonexistent/x.kvs"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(), "/nonexistent/x.kvs: cannot open the script\n");
}

TEST(ScenarioRunner, TraceEchoesEachCommand) {
    Fixture f;
    RunOptions options;
    options.trace = true;
    EXPECT_EQ(f.run("# quiet\n   note x\necho hi there\n", "s.kvs", options), RunStatus::Held);
    EXPECT_EQ(f.out.str(), "> note x\nhi there\n");
}

TEST(CommandTable, RefusesTheSameNameTwice) {
    CommandTable table;
    registerRunnerCommands(table);
    EXPECT_THROW(registerRunnerCommands(table), std::logic_error);
}

TEST(CommandArgs, ConvertsAndNamesTheBadArgument) {
    const CommandArgs args("cmd", {"12", "-3.5", "yes", "a=1", "b=", "nokey", "=v", "1.5"});
    EXPECT_EQ(args.integer(0, "N"), 12);
    EXPECT_DOUBLE_EQ(args.number(1, "X"), -3.5);
    EXPECT_TRUE(args.flag(2, "F"));
    EXPECT_EQ(args.get(20, "fallback"), "fallback");
    const CommandArgs pairs("cmd", {"a=1", "b=", "c=x=y"});
    EXPECT_EQ(pairs.keyValues(0), (std::vector<std::pair<std::string, std::string>>{
                                      {"a", "1"}, {"b", ""}, {"c", "x=y"}}));
    EXPECT_THROW(args.keyValues(5), ScriptError);
    EXPECT_THROW(args.keyValues(6), ScriptError);
    EXPECT_THROW(args.integer(7, "N"), ScriptError);
    EXPECT_THROW(args.number(2, "X"), ScriptError);
    EXPECT_THROW(args.flag(0, "F"), ScriptError);
    try {
        args[8];
        FAIL() << "no error";
    } catch (const ScriptError& error) {
        EXPECT_STREQ(error.what(), "cmd: argument 9 is missing");
    }
}

}  // namespace
}  // namespace kavex::tool
