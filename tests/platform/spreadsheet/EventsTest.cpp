#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/platform/spreadsheet/RecordingSink.h"

namespace kavex::sheet {
namespace {

using testing::RecordingSink;
using Log = std::vector<std::string>;

class EventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        book = app.workbooks().add();
        book.worksheets().add("Details");
        sink = std::make_shared<RecordingSink>();
        app.addEventSink(sink);
    }
    Application app;
    Workbook book;
    std::shared_ptr<RecordingSink> sink;
};

TEST_F(EventsTest, CodeWritesRaiseSheetChangeOnlyWhileEventsAreOn) {
    Worksheet sheet = app.activeSheet();
    sheet.range("B5").setValue("IBM");
    EXPECT_EQ(sink->log, (Log{"SheetChange Sheet1!$B$5"}));

    app.setEnableEvents(false);
    sheet.range("B6").setValue("MSFT");
    sheet.range("B5:B6").clearContents();
    sheet.range("C1").select();
    book.worksheets().item("Details").activate();
    EXPECT_EQ(sink->log.size(), 1u);
}

TEST_F(EventsTest, CodeThatClearsSelectsAndActivatesRaisesItsEventsWhileEventsAreOn) {
    Worksheet sheet = app.activeSheet();
    sheet.range("B5:B6").setValue("IBM");
    sink->log.clear();
    sheet.range("B5:B6").clearContents();
    sheet.range("C1").select();
    book.worksheets().item("Details").activate();
    EXPECT_EQ(sink->log, (Log{"SheetChange Sheet1!$B$5:$B$6", "SheetSelectionChange Sheet1!$C$1",
                              "SheetDeactivate Sheet1", "SheetActivate Details"}));

    // The same code with events off raises nothing.
    app.setEnableEvents(false);
    sink->log.clear();
    Worksheet details = app.activeSheet();
    details.range("A1").setValue("x");
    details.range("A1").clearContents();
    details.range("A2").select();
    sheet.activate();
    EXPECT_TRUE(sink->log.empty());
    EXPECT_EQ(app.activeSheet().name(), "Sheet1");
}

TEST_F(EventsTest, FollowingALinkGoesToItsTargetFirst) {
    Worksheet sheet = app.activeSheet();
    book.names().add("DetailsSymbol", "=Details!$A$5");
    sheet.hyperlinks().add(sheet.range("B5"), "", "DetailsSymbol");
    app.followHyperlink(sheet.range("B5"));
    EXPECT_EQ(sink->log, (Log{"SheetDeactivate Sheet1", "SheetActivate Details",
                              "SheetSelectionChange Details!$A$5",
                              "SheetFollowHyperlink Sheet1 DetailsSymbol"}));
    EXPECT_EQ(app.activeSheet().name(), "Details");
    EXPECT_EQ(app.activeCell().address(), "$A$5");
}

TEST_F(EventsTest, ALinkToNoPlaceIsStillReportedWithoutMoving) {
    Worksheet sheet = app.activeSheet();
    sheet.range("B5").select();
    sheet.hyperlinks().add(sheet.range("C5"), "", "To Watch List\u2026");
    sheet.hyperlinks().add(sheet.range("C6"), "", "Gone!A1");
    sink->log.clear();
    app.followHyperlink(sheet.range("C5"));
    app.followHyperlink(sheet.range("C6"));
    EXPECT_EQ(sink->log, (Log{"SheetFollowHyperlink Sheet1 To Watch List\u2026",
                              "SheetFollowHyperlink Sheet1 Gone!A1"}));
    EXPECT_EQ(app.activeSheet(), sheet);
    EXPECT_EQ(app.selection().address(), "$B$5");
}

TEST_F(EventsTest, SheetDeactivateSeesTheSheetBeingEntered) {
    std::string activeDuringDeactivate;
    struct Probe : RecordingSink {
        Application* app = nullptr;
        std::string* seen = nullptr;
        void sheetDeactivate(Worksheet) override { *seen = app->activeSheet().name(); }
    };
    auto probe = std::make_shared<Probe>();
    probe->app = &app;
    probe->seen = &activeDuringDeactivate;
    app.addEventSink(probe);
    book.worksheets().item("Details").activate();
    EXPECT_EQ(activeDuringDeactivate, "Details");
}

// A deactivation handler that takes the user back to the sheet being left, with events off, does
// not undo the switch already under way: the sheet entered is still reported as activated, while
// the sheet left is the active sheet again. A handler of the activation must look at which sheet
// is active before it writes.
TEST_F(EventsTest, AnActivationInterruptedByItsDeactivationHandlerIsStillReported) {
    struct GoBack : RecordingSink {
        Application* app = nullptr;
        std::vector<std::string> activeWhenActivated;
        void sheetDeactivate(Worksheet left) override {
            RecordingSink::sheetDeactivate(left);
            app->setEnableEvents(false);
            left.activate();
            app->setEnableEvents(true);
        }
        void sheetActivate(Worksheet sheet) override {
            RecordingSink::sheetActivate(sheet);
            activeWhenActivated.push_back(app->activeSheet().name());
        }
    };
    app.removeEventSink(sink.get());
    auto goBack = std::make_shared<GoBack>();
    goBack->app = &app;
    app.addEventSink(goBack);

    book.worksheets().item("Details").activate();
    EXPECT_EQ(goBack->log, (Log{"SheetDeactivate Sheet1", "SheetActivate Details"}));
    EXPECT_EQ(goBack->activeWhenActivated, (std::vector<std::string>{"Sheet1"}));
    EXPECT_EQ(app.activeSheet().name(), "Sheet1");
    EXPECT_TRUE(app.enableEvents());
}

TEST_F(EventsTest, UserActionsRaiseWhatTheUserRaises) {
    Worksheet sheet = app.activeSheet();
    app.typeInto(sheet.range("A2"), "12.5");
    EXPECT_EQ(sink->log, (Log{"SheetSelectionChange Sheet1!$A$2", "SheetChange Sheet1!$A$2",
                              "SheetSelectionChange Sheet1!$A$3"}));
    EXPECT_EQ(sheet.range("A2").value(), Variant(12.5));

    sink->log.clear();
    app.paste(sheet.range("B1"), {"IBM", "MSFT", "=A2*2"});
    EXPECT_EQ(sink->log,
              (Log{"SheetSelectionChange Sheet1!$B$1:$B$3", "SheetChange Sheet1!$B$1:$B$3"}));
    EXPECT_EQ(sheet.range("B3").value(), Variant(25.0));

    sink->log.clear();
    app.clear(sheet.range("B1:B3"));
    EXPECT_EQ(sink->log, (Log{"SheetChange Sheet1!$B$1:$B$3"}));
    EXPECT_TRUE(sheet.range("B1").value().isEmpty());

    sink->log.clear();
    sink->cancelRightClick = true;
    EXPECT_FALSE(app.rightClick(sheet.range("D4")));
    EXPECT_EQ(sink->log,
              (Log{"SheetSelectionChange Sheet1!$D$4", "SheetBeforeRightClick Sheet1!$D$4"}));
}

TEST_F(EventsTest, EnterMovesDownAndTabMovesRightOnceTheChangeIsReported) {
    Worksheet sheet = app.activeSheet();
    std::string activeDuringChange;
    sink->onChange = [&](Worksheet, Range) { activeDuringChange = app.activeCell().address(); };
    app.typeInto(sheet.range("B5"), "IBM");
    EXPECT_EQ(activeDuringChange, "$B$6");
    EXPECT_EQ(app.selection().address(), "$B$6");

    sink->log.clear();
    app.typeInto(sheet.range("B6"), "MSFT", EntryKey::tab);
    EXPECT_EQ(sink->log, (Log{"SheetChange Sheet1!$B$6", "SheetSelectionChange Sheet1!$C$6"}));
    EXPECT_EQ(sheet.range("B6").value(), Variant("MSFT"));

    // At the sheet's edge the selection stays, and no selection is reported.
    sink->log.clear();
    app.typeInto(sheet.cells(kMaxRows, 1), "last");
    app.typeInto(sheet.cells(1, kMaxColumns), "last", EntryKey::tab);
    EXPECT_EQ(sink->log,
              (Log{"SheetSelectionChange Sheet1!$A$1048576", "SheetChange Sheet1!$A$1048576",
                   "SheetSelectionChange Sheet1!$XFD$1", "SheetChange Sheet1!$XFD$1"}));
}

TEST_F(EventsTest, AChangeHandlerThatSelectsElsewhereKeepsItsSelection) {
    Worksheet sheet = app.activeSheet();
    sink->onChange = [&](Worksheet ws, Range) { ws.range("E1").select(); };
    app.typeInto(sheet.range("B5"), "IBM");
    EXPECT_EQ(sink->log, (Log{"SheetSelectionChange Sheet1!$B$5", "SheetChange Sheet1!$B$5",
                              "SheetSelectionChange Sheet1!$E$1"}));
    EXPECT_EQ(app.selection().address(), "$E$1");
}

TEST_F(EventsTest, SelectingTheSelectedCellsAgainRaisesNothing) {
    Worksheet sheet = app.activeSheet();
    sheet.range("C3:D4").select();
    sheet.range("C3:D4").select();
    app.select(sheet.range("C3:D4"));
    EXPECT_EQ(sink->log, (Log{"SheetSelectionChange Sheet1!$C$3:$D$4"}));
    sheet.range("C3").select();
    EXPECT_EQ(sink->log.back(), "SheetSelectionChange Sheet1!$C$3");
}

TEST_F(EventsTest, AUserDeletesAndInsertsWholeLinesAsOneChange) {
    Worksheet sheet = app.activeSheet();
    sheet.range("A1").setValue("Symbol");
    sheet.range("C1").setValue("Volume");
    sink->log.clear();
    app.deleteLines(sheet.range("B7").entireColumn());
    EXPECT_EQ(sink->log, (Log{"SheetSelectionChange Sheet1!$B:$B", "SheetChange Sheet1!$B:$B"}));
    EXPECT_EQ(sheet.range("B1").value(), Variant("Volume"));
    EXPECT_EQ(app.selection().address(), "$B:$B");

    sink->log.clear();
    app.insertLines(sheet.range("$1:$1"));
    EXPECT_EQ(sink->log, (Log{"SheetSelectionChange Sheet1!$1:$1", "SheetChange Sheet1!$1:$1"}));
    EXPECT_EQ(sheet.range("A2").value(), Variant("Symbol"));

    // Cells that are not whole lines are refused and nothing moves.
    sink->log.clear();
    try {
        app.deleteLines(sheet.range("A2:B2"));
        FAIL() << "deleted cells that are not whole rows or columns";
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.number(), 1004);
    }
    EXPECT_EQ(sheet.range("A2").value(), Variant("Symbol"));
    EXPECT_EQ(sink->log, (Log{"SheetSelectionChange Sheet1!$A$2:$B$2"}));
}

TEST_F(EventsTest, ASelectionOnAnInactiveSheetIsRefused) {
    Worksheet details = book.worksheets().item("Details");
    try {
        details.range("A1").select();
        FAIL() << "selected a cell of an inactive sheet";
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.number(), 1004);
    }
    EXPECT_TRUE(sink->log.empty());
}

TEST_F(EventsTest, ClosingCanBeCancelledAndActivatesTheNextWorkbook) {
    Workbook second = app.workbooks().add();
    sink->log.clear();
    sink->cancelClose = true;
    EXPECT_FALSE(second.close());
    EXPECT_TRUE(second.isOpen());
    sink->cancelClose = false;
    EXPECT_TRUE(second.close());
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(sink->log, (Log{"WorkbookBeforeClose Book2", "WorkbookBeforeClose Book2",
                              "WorkbookDeactivate Book2", "WorkbookActivate Book1"}));
    EXPECT_EQ(app.activeWorkbook(), book);
}

TEST_F(EventsTest, ClosingUnsavedChangesAsksUnlessTheAlertsAreOff) {
    Workbook second = app.workbooks().add();
    second.activeSheet().range("A1").setValue("x");
    std::vector<std::string> prompts;
    SaveChoice answer = SaveChoice::cancel;
    app.setSavePromptDriver([&](const std::string& prompt, const std::string& title) {
        prompts.push_back(title + ": " + prompt);
        return answer;
    });
    EXPECT_FALSE(second.close());
    EXPECT_TRUE(second.isOpen());
    EXPECT_EQ(prompts,
              (Log{"Microsoft Excel: Do you want to save the changes you made to 'Book2'?"}));

    // A handler that asked the user itself turns the alerts off: nothing more is asked.
    struct Asker : RecordingSink {
        void workbookBeforeClose(Workbook wb, bool&) override {
            wb.application().setDisplayAlerts(false);
            wb.setSaved(true);
        }
    };
    auto asker = std::make_shared<Asker>();
    app.addEventSink(asker);
    EXPECT_TRUE(second.close());
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(prompts.size(), 1u);
    EXPECT_FALSE(app.displayAlerts());
}

TEST_F(EventsTest, ASaveCancelledWhileClosingKeepsTheWorkbookOpen) {
    Workbook second = app.workbooks().add();
    second.activeSheet().range("A1").setValue("x");
    sink->cancelSave = true;
    EXPECT_FALSE(second.close(true));
    EXPECT_TRUE(second.isOpen());
    app.setSavePromptDriver(
        [](const std::string&, const std::string&) { return SaveChoice::save; });
    app.setSaveAsDriver([] { return std::optional<std::string>(); });
    EXPECT_FALSE(second.close());
    EXPECT_TRUE(second.isOpen());
    EXPECT_FALSE(second.saved());
    // Told to drop the changes, it closes.
    EXPECT_TRUE(second.close(false));
}

TEST_F(EventsTest, ARangeOfAClosedWorkbookRaisesInsteadOfDangling) {
    Range cell = app.activeSheet().range("A1");
    Worksheet sheet = app.activeSheet();
    ASSERT_TRUE(book.close());
    try {
        cell.setValue(1.0);
        FAIL() << "wrote into a closed workbook";
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.number(), 424);
    }
    EXPECT_THROW(cell.value(), base::PlatformError);
    EXPECT_THROW(sheet.name(), base::PlatformError);
    EXPECT_TRUE(app.activeSheet().isNothing());
}

TEST_F(EventsTest, AHandlerThatClosesTheWorkbookDuringAChangeLeavesNothingDangling) {
    sink->onChange = [&](Worksheet, Range) { book.close(); };
    Range cell = app.activeSheet().range("A1");
    cell.setValue("x");
    EXPECT_FALSE(book.isOpen());
    EXPECT_THROW(cell.value(), base::PlatformError);
}

TEST_F(EventsTest, SaveWithoutAPathAsksTheSaveAsDriver) {
    const std::string dir = ::testing::TempDir();
    app.setSaveAsDriver([] { return std::optional<std::string>(); });
    EXPECT_FALSE(app.save(book));
    EXPECT_EQ(sink->log, (Log{"WorkbookBeforeSave Book1 ui"}));
    EXPECT_EQ(app.getSaveAsFilename(), Variant(false));

    app.setSaveAsDriver([&] { return std::optional<std::string>(dir + "/saved-by-user.json"); });
    app.activeSheet().range("A1").setValue("x");
    EXPECT_TRUE(app.save(book));
    EXPECT_EQ(book.name(), "saved-by-user.json");
    EXPECT_TRUE(book.saved());
}

TEST_F(EventsTest, TheWorkbookMembersTheCloseAndSaveHandlersUse) {
    const std::string dir = ::testing::TempDir();
    EXPECT_EQ(book.path(), "");  // never saved: the handler asks for a name
    app.activeSheet().range("A1").setValue("x");
    EXPECT_FALSE(book.saved());
    book.setSaved(true);  // "No": the changes are given up without saving
    EXPECT_TRUE(book.saved());

    book.saveAs(dir + "/handlers.json", xlNoChange);
    EXPECT_EQ(book.name(), "handlers.json");
    EXPECT_TRUE(std::filesystem::equivalent(book.path(), dir));
    app.activeSheet().range("A1").setValue("y");
    book.save();
    EXPECT_TRUE(book.saved());
    EXPECT_EQ(sink->log.back(), "WorkbookBeforeSave handlers.json");

    // A cancelled save writes nothing and leaves the changes unsaved.
    app.activeSheet().range("A1").setValue("z");
    sink->cancelSave = true;
    book.save();
    EXPECT_FALSE(book.saved());
    Application other;
    EXPECT_EQ(other.workbooks().open(dir + "/handlers.json").activeSheet().range("A1").value(),
              Variant("y"));
}

TEST_F(EventsTest, SelectingASheetByNameAndDeletingACommentAsTheHandlersDo) {
    Worksheet sheet = app.activeSheet();
    sheet.range("B5").addComment("Alert");
    sink->log.clear();
    app.worksheets().item("details").select();
    EXPECT_EQ(sink->log, (Log{"SheetDeactivate Sheet1", "SheetActivate Details"}));
    app.worksheets().item("Details").select();  // already active: nothing
    EXPECT_EQ(sink->log.size(), 2u);

    sheet.range("B5").comment().delete_();
    EXPECT_TRUE(sheet.range("B5").comment().isNothing());
    // A cell without a comment has Nothing to delete: error 91, as the handlers' traps expect.
    try {
        sheet.range("B5").comment().delete_();
        FAIL() << "deleted a comment that is not there";
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.number(), 91);
    }

    // A workbook's names reach their ranges on any sheet.
    book.names().add("WatchlistAlertID", "=Details!$H$4");
    EXPECT_EQ(app.activeWorkbook().names().item("watchlistalertid").refersToRange().column(), 8);
}

TEST_F(EventsTest, EveryOneOfTheThirteenEventsReachesTheSink) {
    const std::string dir = ::testing::TempDir();
    Worksheet sheet = app.activeSheet();
    sheet.hyperlinks().add(sheet.range("A1"), "", "Details!A1");
    app.rightClick(sheet.range("C3"));
    app.typeInto(sheet.range("B2"), "IBM");
    app.followHyperlink(sheet.range("A1"));
    app.save(book, dir + "/thirteen.json");
    {
        Application other;  // an add-in workbook file of its own
        other.workbooks().add().saveAs(dir + "/thirteen.xla");
    }
    AddIn addin = app.addIns().add(dir + "/thirteen.xla");
    addin.setInstalled(true);
    addin.setInstalled(false);
    EXPECT_TRUE(app.close(book));
    app.open(dir + "/thirteen.json");

    std::set<std::string> kinds;
    for (const std::string& line : sink->log) {
        kinds.insert(line.substr(0, line.find(' ')));
    }
    EXPECT_EQ(kinds,
              (std::set<std::string>{"SheetBeforeRightClick", "SheetChange", "SheetDeactivate",
                                     "SheetFollowHyperlink", "WorkbookAddinInstall",
                                     "WorkbookAddinUninstall", "WorkbookBeforeClose",
                                     "WorkbookBeforeSave", "WorkbookDeactivate", "SheetActivate",
                                     "WorkbookActivate", "SheetSelectionChange", "WorkbookOpen"}));
}

TEST_F(EventsTest, RunStartsOnlyMacrosTheHostKnows) {
    int runs = 0;
    app.registerMacro("ShowForms", [&](const std::vector<Variant>&) {
        ++runs;
        return Variant();
    });
    app.run("ShowForms");
    app.run("Kavex.xla!showforms");
    EXPECT_EQ(runs, 2);
    try {
        app.run("Missing");
        FAIL();
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.number(), 1004);
        EXPECT_NE(e.description().find("Cannot run the macro 'Missing'"), std::string::npos);
    }
}

}  // namespace
}  // namespace kavex::sheet

namespace kavex::sheet {
namespace {

// A sink whose handlers fail the way add-in code can: a platform error, any other exception,
// or something that is no exception at all.
class FailingSink : public testing::RecordingSink {
  public:
    void sheetChange(Worksheet sheet, Range target) override {
        RecordingSink::sheetChange(sheet, target);
        throw base::PlatformError(base::errors::ApplicationDefined, "handler broke");
    }
    void sheetSelectionChange(Worksheet sheet, Range target) override {
        RecordingSink::sheetSelectionChange(sheet, target);
        throw std::runtime_error("selection handler broke");
    }
    void workbookOpen(Workbook wb) override {
        RecordingSink::workbookOpen(wb);
        throw 42;
    }
};

class EventGuardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app.setEventFailureReporter([this](const EventFailure& f) {
            reported.push_back(f.event + " (" + std::to_string(f.number) + ") " + f.description);
        });
        failing = std::make_shared<FailingSink>();
        after = std::make_shared<testing::RecordingSink>();
        app.addEventSink(failing);
        app.addEventSink(after);
    }
    Application app;
    std::shared_ptr<FailingSink> failing;
    std::shared_ptr<testing::RecordingSink> after;
    std::vector<std::string> reported;
};

TEST_F(EventGuardTest, AFailingHandlerIsReportedAndTheHostsOperationCompletes) {
    Workbook book = app.workbooks().add();
    Worksheet sheet = app.activeSheet();
    sheet.range("A1").setValue(2.0);
    sheet.range("B1").setFormula("=A1*10");
    reported.clear();

    EXPECT_NO_THROW(sheet.range("A1").setValue(3.0));
    EXPECT_EQ(sheet.range("A1").value().number(), 3.0);
    EXPECT_EQ(sheet.range("B1").value().number(), 30.0);  // recalculation still ran
    EXPECT_FALSE(book.saved());
    EXPECT_EQ(reported, (Log{"SheetChange (1004) handler broke"}));
    // The next sink still hears the event.
    EXPECT_EQ(after->log.back(), "SheetChange Sheet1!$A$1");

    reported.clear();
    EXPECT_NO_THROW(app.select(sheet.range("C3")));
    EXPECT_EQ(app.activeCell().address(), "$C$3");
    EXPECT_EQ(reported, (Log{"SheetSelectionChange (-1) selection handler broke"}));
}

TEST_F(EventGuardTest, AFailureThatIsNoExceptionIsCaughtToo) {
    const std::string path = ::testing::TempDir() + "/guarded-open.xls";
    {
        Workbook book = app.workbooks().add();
        app.setEnableEvents(false);
        book.saveAs(path);
        book.close();
        app.setEnableEvents(true);
    }
    reported.clear();
    Workbook opened;
    EXPECT_NO_THROW(opened = app.open(path));
    EXPECT_TRUE(opened.isOpen());
    EXPECT_EQ(app.activeWorkbook().name(), opened.name());
    EXPECT_EQ(reported, (Log{"WorkbookOpen (-1) an unknown failure"}));
}

TEST_F(EventGuardTest, AReporterThatFailsDoesNotUnwindIntoTheHostEither) {
    app.setEventFailureReporter([](const EventFailure&) { throw std::runtime_error("reporter"); });
    app.workbooks().add();
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(app.activeSheet().range("A1").setValue(1.0));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "The SheetChange handler failed: (1004) handler broke\n");
}

}  // namespace
}  // namespace kavex::sheet
