#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "addin/core/Database.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "tests/addin/excelevents/EventsFixture.h"
#include "tests/platform/spreadsheet/RecordingSink.h"

namespace kavex::addin::excelevents {
namespace {

using WorkbookEventsTest = testing::EventsFixture;

TEST_F(WorkbookEventsTest, CloseOfASavedWorkbookAsksNothingAndSwitchesAlertsOff) {
    sheet::Workbook other = app_.workbooks().add();
    other.setSaved(true);
    EXPECT_TRUE(app_.close(other));
    EXPECT_FALSE(other.isOpen());
    EXPECT_TRUE(forms::scriptedDriver().messages().empty());
    EXPECT_FALSE(app_.displayAlerts());
}

TEST_F(WorkbookEventsTest, SavePromptNoDiscardsAndCancelKeepsTheWorkbookOpen) {
    sheet::Workbook other = app_.workbooks().add();
    other.worksheets().item(1).range("A1").setValue(base::Variant("changed"));
    ASSERT_FALSE(other.saved());

    forms::scriptedDriver().queueAnswer(forms::vbCancel);
    EXPECT_FALSE(app_.close(other));
    EXPECT_TRUE(other.isOpen());
    ASSERT_EQ(forms::scriptedDriver().messages().size(), 1u);
    const forms::MessageRecord& prompt = forms::scriptedDriver().messages().back();
    EXPECT_EQ(prompt.prompt, "Do you want to save the changes you made to '" + other.name() + "'?");
    EXPECT_EQ(prompt.title, "Microsoft Excel");
    EXPECT_EQ(prompt.style, 69683);

    forms::scriptedDriver().queueAnswer(forms::vbNo);
    EXPECT_TRUE(app_.close(other));
    EXPECT_FALSE(other.isOpen());
    // One question per close: No closed it without a second prompt.
    EXPECT_EQ(forms::scriptedDriver().messages().size(), 2u);
    EXPECT_FALSE(app_.displayAlerts());
}

TEST_F(WorkbookEventsTest, SavePromptYesSavesWhereTheWorkbookLives) {
    sheet::Workbook other = app_.workbooks().add();
    const std::string file = (folder_.path() / "kept.xls").string();
    other.saveAs(file);
    other.worksheets().item(1).range("A1").setValue(base::Variant("kept"));
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_TRUE(app_.close(other));
    sheet::Workbook reopened = app_.workbooks().open(file);
    EXPECT_EQ(base::CStr(reopened.worksheets().item(1).range("A1").value()), "kept");
}

TEST_F(WorkbookEventsTest, SavePromptYesOnANeverSavedWorkbookAsksForAFileName) {
    std::optional<std::string> answer;
    app_.setSaveAsDriver([&] { return answer; });
    sheet::Workbook other = app_.workbooks().add();
    other.worksheets().item(1).range("A1").setValue(base::Variant("new"));

    // The Save As dialog dismissed: the workbook stays open and the host's alerts come back.
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_FALSE(app_.close(other));
    EXPECT_TRUE(other.isOpen());
    EXPECT_TRUE(app_.displayAlerts());

    // A file name given: saved there, then closed.
    answer = (folder_.path() / "named.xls").string();
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_TRUE(app_.close(other));
    EXPECT_FALSE(other.isOpen());
    EXPECT_TRUE(std::filesystem::exists(folder_.path() / "named.xls"));
}

// A disk that takes no more bytes: while it lasts, writing a file fails as on a full disk (the
// process is not stopped for it).
class FullDisk {
  public:
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &before_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = before_;
        full.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, signal_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    rlimit before_{};
    void (*signal_)(int) = SIG_DFL;
};

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Yes, and the save fails: the failure is shown as the host shows it, the close is given up and
// the workbook stays open with what was typed; the file keeps what it held.
TEST_F(WorkbookEventsTest, SavePromptYesOnAFullDiskKeepsTheWorkbookOpenWithItsChanges) {
    sheet::Workbook other = app_.workbooks().add();
    const std::filesystem::path file = folder_.path() / "kept.xls";
    other.saveAs(file.string());
    const std::string onDisk = fileText(file);
    other.worksheets().item(1).range("A1").setValue(base::Variant("typed"));
    {
        FullDisk full;
        forms::scriptedDriver().queueAnswer(forms::vbYes);
        EXPECT_FALSE(app_.close(other));
    }
    ASSERT_TRUE(other.isOpen());
    EXPECT_FALSE(other.saved());
    EXPECT_EQ(base::CStr(other.worksheets().item(1).range("A1").value()), "typed");
    ASSERT_EQ(forms::scriptedDriver().messages().size(), 2u);
    const forms::MessageRecord& failure = forms::scriptedDriver().messages().back();
    EXPECT_EQ(failure.prompt, "Cannot access '" + file.string() + "'.");
    EXPECT_EQ(failure.title, "Microsoft Excel");
    EXPECT_EQ(failure.style, forms::vbCritical);
    EXPECT_TRUE(app_.displayAlerts());
    EXPECT_EQ(fileText(file), onDisk);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".saving"));

    // With room on the disk again the same close saves and closes.
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_TRUE(app_.close(other));
    sheet::Workbook reopened = app_.workbooks().open(file.string());
    EXPECT_EQ(base::CStr(reopened.worksheets().item(1).range("A1").value()), "typed");
}

// Yes on a workbook never saved, and the file named is in a folder that cannot be written.
TEST_F(WorkbookEventsTest, SavePromptYesIntoAnUnwritableFolderKeepsTheWorkbookOpen) {
    // Even the superuser cannot make files there.
    const std::string unwritable = "/proc/kavex-closed.xls";
    std::optional<std::string> answer = unwritable;
    app_.setSaveAsDriver([&] { return answer; });
    sheet::Workbook other = app_.workbooks().add();
    other.worksheets().item(1).range("A1").setValue(base::Variant("typed"));
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_FALSE(app_.close(other));
    ASSERT_TRUE(other.isOpen());
    EXPECT_FALSE(other.saved());
    EXPECT_EQ(other.path(), "");
    EXPECT_EQ(base::CStr(other.worksheets().item(1).range("A1").value()), "typed");
    ASSERT_EQ(forms::scriptedDriver().messages().size(), 2u);
    EXPECT_EQ(forms::scriptedDriver().messages().back().prompt,
              "Cannot access '" + unwritable + "'.");
    EXPECT_TRUE(app_.displayAlerts());

    // Another folder chosen: saved there, then closed.
    answer = (folder_.path() / "named.xls").string();
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_TRUE(app_.close(other));
    EXPECT_TRUE(std::filesystem::exists(folder_.path() / "named.xls"));
}

// Yes, and another handler cancels the save: nothing was saved, so nothing is closed either.
TEST_F(WorkbookEventsTest, SavePromptYesWithTheSaveCancelledKeepsTheWorkbookOpen) {
    sheet::Workbook other = app_.workbooks().add();
    other.saveAs((folder_.path() / "kept.xls").string());
    other.worksheets().item(1).range("A1").setValue(base::Variant("typed"));
    // It leaves the close alone and cancels every save.
    struct CancelsSaves : sheet::testing::RecordingSink {
        void workbookBeforeClose(sheet::Workbook, bool&) override {}
    };
    auto canceller = std::make_shared<CancelsSaves>();
    canceller->cancelSave = true;
    app_.addEventSink(canceller);
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_FALSE(app_.close(other));
    app_.removeEventSink(canceller.get());
    EXPECT_TRUE(other.isOpen());
    EXPECT_FALSE(other.saved());
    EXPECT_EQ(forms::scriptedDriver().messages().size(), 1u);
}

TEST_F(WorkbookEventsTest, SaveWithASessionStoresTodayWithoutATime) {
    const std::string file = (folder_.path() / "saved.xls").string();
    // Without a session nothing is written.
    const std::string before = configValue("DIVSPL_LAST_EFFECTIVE_DATE");
    book_.saveAs(file);
    EXPECT_EQ(configValue("DIVSPL_LAST_EFFECTIVE_DATE"), before);

    startSession();
    os::machineClock().startSimulation(*base::makeDate(2026, 3, 9, 15, 42, 7));
    book_.save();
    EXPECT_EQ(configValue("DIVSPL_LAST_EFFECTIVE_DATE"), "3/9/2026");
}

TEST_F(WorkbookEventsTest, DeactivationRemembersTheKindOfTheActiveSheet) {
    sheet::Workbook first = book_;
    sheet::Workbook second = buildAddinBook();
    book_ = first;
    startSession();
    first.activate();
    sheetNamed("Portfolio").activate();
    second.activate();
    EXPECT_EQ(ActiveSheetType, "Portfolio");
    first.activate();
    EXPECT_EQ(ActiveSheetType, "Watch List");
    // Without a session the kind is not looked at.
    session::UserSessionKey.clear();
    second.activate();
    EXPECT_EQ(ActiveSheetType, "Watch List");
}

TEST_F(WorkbookEventsTest, UninstallLogsOutOnlyWhenNoAddinWorkbookIsOpen) {
    // The companion, under a name in other letters than the add-in looks for.
    sheet::Workbook companion = app_.workbooks().add();
    const std::string file = (folder_.path() / "KAVEX.XLA").string();
    companion.saveAs(file);
    companion.close();
    book_.activate();
    sheet::AddIn addin = app_.addIns().add(file);
    addin.setInstalled(true);

    answerLogin("demo", "demo");
    ASSERT_TRUE(session::ProcessLogin());
    // Another add-in workbook still needs the add-in.
    addin.setInstalled(false);
    EXPECT_FALSE(session::UserSessionKey.empty());

    addin.setInstalled(true);
    book_.setSaved(true);
    ASSERT_TRUE(book_.close());
    addin.setInstalled(false);
    EXPECT_TRUE(session::UserSessionKey.empty());
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string(session::kUninstallAddin)));
    EXPECT_TRUE(session::AddInState.empty());
}

}  // namespace
}  // namespace kavex::addin::excelevents
