#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "addin/commandbars/frmDisplayMessage.h"
#include "addin/core/Globals.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "addin/session/frmSplash.h"
#include "platform/forms/Screen.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "platform/os/Windows.h"
#include "tests/addin/excelevents/EventsFixture.h"

namespace kavex::addin::excelevents {
namespace {

class WorkbookStartTest : public testing::EventsFixture {
  protected:
    void SetUp() override {
        EventsFixture::SetUp();
        os::machineClock().startSimulation(*base::makeDate(2025, 1, 15, 10, 0, 0));
        os::resetWindows();
    }
    void TearDown() override {
        commandbars::UnloadMessageWindow();
        EventsFixture::TearDown();
    }

    std::string kavexBookFile() const {
        return (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
            .string();
    }

    // A copy of a workbook file under another name in the test's folder.
    std::string copyAs(const std::string& from, const std::string& name) {
        const std::filesystem::path to = folder_.path() / name;
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        return to.string();
    }
};

TEST_F(WorkbookStartTest, TheCompanionInAnyLetterCaseStartsNothing) {
    const std::string companion =
        (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "Kavex.xla").string();
    app_.workbooks().open(copyAs(companion, "KAVEX.XLA"));
    EXPECT_TRUE(session::UserSessionKey.empty());
    EXPECT_TRUE(forms::scriptedDriver().formsShown().empty());
}

TEST_F(WorkbookStartTest, AnAddinWorkbookLogsInAndTheFirstActivationClosesTheSplash) {
    answerLogin("demo", "demo");
    app_.workbooks().open(kavexBookFile());
    EXPECT_FALSE(session::UserSessionKey.empty());
    // The add-in's folder was recorded for the companion's reference.
    EXPECT_EQ(core::AddInPath, folder_.path().string() + "/");
    // The login left its splash window to the first activation, which has closed it.
    EXPECT_FALSE(session::SplashVisible);
    EXPECT_EQ(forms::Screen().MousePointer(), forms::vbDefault);
    EXPECT_EQ(app_.cursor(), sheet::xlDefault);
    EXPECT_TRUE(app_.enableEvents());
}

TEST_F(WorkbookStartTest, TheBroadcastPageIsShownOnceAfterTheSplash) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(session::ProcessLogin());
    session::SplashVisible = true;
    session::BroadcastFile = "http://kavex.test/broadcast.jsp";
    app_.workbooks().add();
    ASSERT_NE(commandbars::MessageWindow(), nullptr);
    EXPECT_EQ(commandbars::MessageWindow()->Address, "http://kavex.test/broadcast.jsp");
    EXPECT_FALSE(session::SplashVisible);
    // The next activation brings the host's window forward instead.
    commandbars::UnloadMessageWindow();
    book_.activate();
    EXPECT_EQ(commandbars::MessageWindow(), nullptr);
    EXPECT_EQ(os::activeWindow(), os::excelMainWindow());
}

TEST_F(WorkbookStartTest, TheOldestHostLeavesTheSplashAndTheFocusAlone) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(session::ProcessLogin());
    session::SplashVisible = true;
    session::BroadcastFile = "http://kavex.test/broadcast.jsp";
    app_.setVersion("8.0");
    os::resetWindows();
    app_.workbooks().add();
    EXPECT_TRUE(session::SplashVisible);
    EXPECT_EQ(commandbars::MessageWindow(), nullptr);
    EXPECT_TRUE(os::activeWindowCalls().empty());
    session::SplashVisible = false;
    session::UnloadSplash();
}

TEST_F(WorkbookStartTest, AnEmptyBroadcastBringsTheHostForwardAndClearsTheSplash) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(session::ProcessLogin());
    session::SplashVisible = true;
    session::BroadcastFile.clear();
    os::resetWindows();
    app_.workbooks().add();
    EXPECT_FALSE(session::SplashVisible);
    EXPECT_EQ(commandbars::MessageWindow(), nullptr);
    EXPECT_EQ(os::activeWindow(), os::excelMainWindow());
}

TEST_F(WorkbookStartTest, AnOrdinaryWorkbookHasItsFormulasBroughtUpToDate) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(session::ProcessLogin());
    sheet::Workbook plain = app_.workbooks().add();
    plain.worksheets().item(1).range("A1").setValue(base::Variant("IBM"));
    plain.worksheets().item(1).range("B1").setFormula("=KavexLast(A1)");
    const std::string file = (folder_.path() / "plain.xls").string();
    plain.saveAs(file);
    plain.close();
    sheet::Workbook reopened = app_.workbooks().open(file);
    const std::string shown = reopened.worksheets().item(1).range("B1").text();
    EXPECT_EQ(shown.rfind("$", 0), 0u) << shown;
}

}  // namespace
}  // namespace kavex::addin::excelevents
