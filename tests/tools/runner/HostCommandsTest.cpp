#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScenarioRunner.h"

namespace kavex::tool {
namespace {

// Runs a script through the full command table and keeps what it printed and reported.
struct Outcome {
    RunStatus status;
    std::string out;
    std::string report;
};

Outcome run(const std::string& script) {
    static const CommandTable table = buildCommandTable();
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream report;
    ScenarioRunner runner(table, {}, out, report);
    const RunStatus status = runner.runStream(in, "t.kvs");
    return {status, out.str(), report.str()};
}

TEST(HostCommands, TypedValuesAndFormulasHold) {
    const Outcome r =
        run("new\n"
            "type A1 2\n"
            "type A2 \"=A1*21\"\n"
            "expect A2 42\n"
            "expect-value A2 42\n"
            "expect-formula A2 =A1*21\n"
            "expect-formula A1 \"\"\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

TEST(HostCommands, FailedExpectationNamesTheCellAndBothValues) {
    const Outcome r = run("new\ntype A1 7\nexpect A1 8\n");
    EXPECT_EQ(r.status, RunStatus::ExpectationFailed);
    EXPECT_EQ(r.report,
              "t.kvs:3: expectation failed: expect A1 8\n"
              "  subject:  the shown value of Sheet1!A1\n"
              "  expected: \"8\"\n"
              "  found:    \"7\"\n");
}

TEST(HostCommands, ReferenceThatDoesNotResolveIsTwo) {
    const Outcome r = run("new\nexpect NoSuchName 1\n");
    EXPECT_EQ(r.status, RunStatus::CouldNotRun);
    EXPECT_EQ(r.report.rfind("t.kvs:2: the reference 'NoSuchName' does not resolve", 0), 0u)
        << r.report;

    const Outcome sheet = run("new\nactivate Missing\n");
    EXPECT_EQ(sheet.status, RunStatus::CouldNotRun);
    EXPECT_NE(sheet.report.find("t.kvs:2: the workbook Book1 has no sheet named 'Missing'"),
              std::string::npos)
        << sheet.report;
}

TEST(HostCommands, CommandsBeforeAnyWorkbookAreTwo) {
    const Outcome r = run("type A1 5\n");
    EXPECT_EQ(r.status, RunStatus::CouldNotRun);
    EXPECT_EQ(r.report, "t.kvs:1: no workbook is open (use new or open first)\n");
}

TEST(HostCommands, ExpectationsOnOneCellRefuseRanges) {
    const Outcome r = run("new\nexpect A1:B2 x\n");
    EXPECT_EQ(r.status, RunStatus::CouldNotRun);
    EXPECT_NE(r.report.find("must be one cell"), std::string::npos) << r.report;
}

TEST(HostCommands, ProtectedSheetRefusesTypingWithErrorStatus) {
    const Outcome refused = run("new\ntype A1 keep\ntest-protect Sheet1\ntype A1 lost\n");
    EXPECT_EQ(refused.status, RunStatus::CouldNotRun);
    EXPECT_NE(refused.report.find("t.kvs:4: error 1004"), std::string::npos) << refused.report;

    const Outcome expected =
        run("new\ntype A1 keep\ntest-protect Sheet1 pw\n"
            "expect-error 1004 type A1 lost\n"
            "expect-error 1004 paste A1 x y\n"
            "expect-error 1004 clear A1\n"
            "expect A1 keep\n"
            "expect-error 1004 test-unprotect Sheet1 wrong\n"
            "test-unprotect Sheet1 pw\n"
            "type A1 now\nexpect A1 now\n");
    EXPECT_EQ(expected.status, RunStatus::Held) << expected.report;
}

TEST(HostCommands, UnlockedCellsStayWritableUnderProtection) {
    const Outcome r =
        run("new\ntest-style B1 locked=false\ntest-protect Sheet1\n"
            "type B1 free\nexpect B1 free\nexpect-error 1004 type A1 no\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

TEST(HostCommands, FormulaThatDoesNotParseWritesNothing) {
    const Outcome r =
        run("new\ntype A1 before\nexpect-error 1004 type A1 \"=SUM(1,\"\nexpect A1 before\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

TEST(HostCommands, HostKeysAreCheckedAndListed) {
    const Outcome unknown = run("host colour blue\n");
    EXPECT_EQ(unknown.status, RunStatus::CouldNotRun);
    EXPECT_NE(unknown.report.find("t.kvs:1: host: unknown 'colour' (known: "), std::string::npos)
        << unknown.report;
    EXPECT_NE(unknown.report.find("version"), std::string::npos);

    const Outcome bad = run("host window-state sideways\n");
    EXPECT_EQ(bad.status, RunStatus::CouldNotRun);
    EXPECT_NE(bad.report.find("must be one of normal, minimized, maximized"), std::string::npos)
        << bad.report;

    const Outcome missing = run("host\n");
    EXPECT_EQ(missing.status, RunStatus::CouldNotRun);
    EXPECT_NE(missing.report.find("host needs one of:"), std::string::npos) << missing.report;
}

TEST(HostCommands, StyleKeysAreChecked) {
    const Outcome unknown = run("new\nexpect-style A1 font.italic=true\n");
    EXPECT_EQ(unknown.status, RunStatus::CouldNotRun);
    EXPECT_NE(unknown.report.find("unknown style key 'font.italic'"), std::string::npos);

    const Outcome notSpan = run("new\ntype A1 abc\nexpect-span A1 1 2 comment=none\n");
    EXPECT_EQ(notSpan.status, RunStatus::CouldNotRun);
    EXPECT_NE(notSpan.report.find("does not apply to a span"), std::string::npos);

    const Outcome badValue = run("new\ntest-style A1 font.size=big\n");
    EXPECT_EQ(badValue.status, RunStatus::CouldNotRun);
    EXPECT_NE(badValue.report.find("font.size must be a number, not 'big'"), std::string::npos);
}

TEST(HostCommands, StyleValuesCompareInTheirKind) {
    const Outcome r =
        run("new\ntest-style A1 font.bold=TRUE font.size=12\n"
            "expect-style A1 font.bold=true font.size=12.0\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;

    const Outcome wrong =
        run("new\ntest-style A1 font.bold=true\nexpect-style A1 font.bold=false\n");
    EXPECT_EQ(wrong.status, RunStatus::ExpectationFailed);
    EXPECT_NE(wrong.report.find("subject:  font.bold of Sheet1!A1"), std::string::npos)
        << wrong.report;
}

TEST(HostCommands, PrintAndShowWriteTheShownValues) {
    const Outcome r =
        run("new\ntype A1 Symbol\ntype B1 Last\ntype A2 IBM\ntype B2 =2*60.25\n"
            "print A1:B2\nshow\n");
    ASSERT_EQ(r.status, RunStatus::Held) << r.report;
    EXPECT_EQ(r.out,
              "Sheet1!A1: Symbol\nSheet1!B1: Last\nSheet1!A2: IBM\nSheet1!B2: 120.5\n"
              "Book1 / Sheet1\n"
              "  | A      | B\n"
              "1 | Symbol | Last\n"
              "2 | IBM    | 120.5\n");
}

TEST(HostCommands, NewWithANameNamesTheWorkbookWithoutEvents) {
    const Outcome r =
        run("test-events on\nnew Prices\nexpect-active-workbook Prices\n"
            "expect-error 1004 activate-workbook Nope\n");
    // activate-workbook of an unknown name cannot run at all: it is status 2, not an error.
    EXPECT_EQ(r.status, RunStatus::CouldNotRun);
    EXPECT_NE(r.report.find("t.kvs:4: no open workbook is named 'Nope'"), std::string::npos)
        << r.report;

    const Outcome bad = run("new ../escape\n");
    EXPECT_EQ(bad.status, RunStatus::CouldNotRun);
    EXPECT_NE(bad.report.find("NAME must be a plain workbook name"), std::string::npos);
}

TEST(HostCommands, RecordedEventsMismatchIsOne) {
    const Outcome r =
        run("new\ntest-events on\ntype A1 1\nexpect-events \"SheetChange Sheet1!B1\"\n");
    EXPECT_EQ(r.status, RunStatus::ExpectationFailed);
    EXPECT_NE(r.report.find("expected: \"SheetChange Sheet1!B1\""), std::string::npos);
    EXPECT_NE(r.report.find("found:    \"SheetChange Sheet1!A1; SheetSelectionChange Sheet1!A2\""),
              std::string::npos)
        << r.report;

    const Outcome off = run("new\nexpect-events\n");
    EXPECT_EQ(off.status, RunStatus::CouldNotRun);
    EXPECT_NE(off.report.find("test-events on first"), std::string::npos);
}

TEST(HostCommands, TestFunctionAnswersAndCounts) {
    const Outcome r = run(
        "new\ntest-function ECHO @arg\ntest-function JOIN @args\ntest-function N @calls\n"
        "test-function K 12.5\n"
        "type A1 hi\ntype B1 =echo(A1)\ntype B2 \"=JOIN(1,\"\"x\"\",A1)\"\n"
        "type B3 =K()*2\ntype B4 =N()\n"
        "expect B1 hi\nexpect B2 1,x,hi\nexpect B3 25\nexpect-calls N 1\nexpect-calls echo 1\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;

    const Outcome unknown = run("new\nexpect-calls NOPE 1\n");
    EXPECT_EQ(unknown.status, RunStatus::CouldNotRun);
}

TEST(HostCommands, FollowWithoutALinkIsTwo) {
    const Outcome r = run("new\nfollow A1\n");
    EXPECT_EQ(r.status, RunStatus::CouldNotRun);
    EXPECT_EQ(r.report, "t.kvs:2: the cell Sheet1!A1 has no hyperlink to follow\n");
}

TEST(HostCommands, DamagedWorkbookFileIsRefused) {
    const Outcome r = run("expect-error 1004 open " KAVEX_SOURCE_DIR
                          "/tests/tools/runner/data/damaged.json\nexpect-active-workbook <none>\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

TEST(HostCommands, AddinsThatCannotBeInstalledOrUninstalledStopTheScript) {
    const Outcome missing = run("install-addin $TMP/none.xla\n");
    EXPECT_EQ(missing.status, RunStatus::CouldNotRun);
    EXPECT_NE(missing.report.find("there is no add-in workbook file"), std::string::npos)
        << missing.report;

    const Outcome twice =
        run("new\nsave $TMP/a.xla\nclose\ninstall-addin $TMP/a.xla\ninstall-addin $TMP/a.xla\n");
    EXPECT_EQ(twice.status, RunStatus::CouldNotRun);
    EXPECT_NE(twice.report.find("a.xla is installed already"), std::string::npos) << twice.report;

    const Outcome unknown = run("uninstall-addin nothing\n");
    EXPECT_EQ(unknown.status, RunStatus::CouldNotRun);
    EXPECT_NE(unknown.report.find("no add-in named 'nothing'"), std::string::npos)
        << unknown.report;

    const Outcome notInstalled =
        run("new\nsave $TMP/a.xla\nclose\ninstall-addin $TMP/a.xla\nuninstall-addin a\n"
            "uninstall-addin a\n");
    EXPECT_EQ(notInstalled.status, RunStatus::CouldNotRun);
    EXPECT_NE(notInstalled.report.find("a.xla is not installed"), std::string::npos)
        << notInstalled.report;
}

TEST(HostCommands, TheLinesOfAnyCellOfAReferenceAreEdited) {
    const Outcome r =
        run("new\ntype A1 a\ntype B1 b\ndelete-column A7\nexpect A1 b\ninsert-row B1\n"
            "expect A2 b\n");
    EXPECT_EQ(r.status, RunStatus::Held) << r.report;
}

}  // namespace
}  // namespace kavex::tool
