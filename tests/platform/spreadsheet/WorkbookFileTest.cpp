#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

namespace fs = std::filesystem;

std::string tempFile(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kavex-sheet-files";
    fs::create_directories(dir);
    return (dir / name).string();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(WorkbookFileTest, ARoundTripKeepsEveryAttribute) {
    const std::string path = tempFile("round-trip.xls");
    const std::string projectFile = tempFile("service.xla");
    {
        Application app;
        Workbook book = app.workbooks().add();
        Workbook service = app.workbooks().add();
        service.vbProject().setName("kavexservice");
        service.saveAs(projectFile);
        book.activate();
        Worksheet sheet = book.activeSheet();
        Worksheet second = book.worksheets().add("Watch List");
        sheet.range("A1").setValue("text");
        sheet.range("A2").setValue(12.5);
        sheet.range("A3").setValue(true);
        sheet.range("A4").setValue(base::Date{39156.5});
        sheet.range("A5").setFormula("=A2*2");
        sheet.range("A6").setFormula("=1/0");
        Range styled = sheet.range("B2");
        styled.setValue("styled");
        styled.font().setName("Tahoma");
        styled.font().setSize(8);
        styled.font().setBold(true);
        styled.font().setColorIndex(3);
        styled.interior().setColor(65535);
        styled.borders().setWeight(xlThin);
        styled.borders().setColor(14540253);
        styled.setNumberFormat("$#,##0.00");
        styled.setWrapText(true);
        styled.setLocked(false);
        styled.characters(2, 3).font().setColor(32768);
        styled.characters(4, 1).font().setUnderline(xlUnderlineStyleDouble);
        sheet.range("3:3").setHidden(true);
        sheet.range("C1").addComment("Alert Details here");
        sheet.range("C1").comment().shape().textFrame().characters(1, 13).font().setBold(true);
        sheet.range("C1").comment().shape().textFrame().setAutoSize(true);
        sheet.hyperlinks().add(sheet.range("A1"), "", "DetailsSymbol", "tip");
        auto condition = sheet.range("A2:A5").formatConditions().add(xlCellValue, xlLess, "=0");
        condition.interior().setColorIndex(40);
        sheet.oleObjects().add("Advert1", "Shell.Explorer.2", 10, 20, 300, 60).setVisible(false);
        book.names().add("WatchListSymbol", "=Sheet1!$B$4");
        book.names().add("Watch List!WatchlistAlertID", "='Watch List'!$H$4");
        book.vbProject().references().addFromFile(projectFile);
        sheet.protect("lantor");
        second.activate();
        app.select(second.range("B2:C3"));
        book.saveAs(path);
        EXPECT_TRUE(book.saved());
    }
    Application app;
    Workbook book = app.workbooks().open(path);
    EXPECT_EQ(book.name(), "round-trip.xls");
    EXPECT_EQ(book.activeSheet().name(), "Watch List");
    EXPECT_EQ(app.selection().address(), "$B$2:$C$3");
    Worksheet sheet = book.worksheets().item("Sheet1");
    EXPECT_EQ(sheet.range("A1").value(), Variant("text"));
    EXPECT_EQ(sheet.range("A2").value(), Variant(12.5));
    EXPECT_EQ(sheet.range("A3").value(), Variant(true));
    EXPECT_EQ(sheet.range("A4").value(), Variant(base::Date{39156.5}));
    EXPECT_EQ(sheet.range("A5").formula(), "=A2*2");
    EXPECT_EQ(sheet.range("A5").value(), Variant(25.0));
    EXPECT_EQ(sheet.range("A6").text(), "#DIV/0!");
    Range styled = sheet.range("B2");
    EXPECT_EQ(styled.font().name(), Variant("Tahoma"));
    EXPECT_EQ(styled.font().size(), Variant(8.0));
    EXPECT_EQ(styled.characters(1, 1).font().bold(), Variant(true));
    EXPECT_EQ(styled.characters(1, 1).font().colorIndex(), Variant(3));
    EXPECT_EQ(styled.characters(2, 3).font().color(), Variant(32768.0));
    EXPECT_EQ(styled.characters(4, 1).font().underline(), Variant(xlUnderlineStyleDouble));
    EXPECT_EQ(styled.characters(1, 1).font().underline(), Variant(xlUnderlineStyleNone));
    EXPECT_EQ(styled.interior().color(), Variant(65535.0));
    EXPECT_EQ(styled.borders().weight(), Variant(xlThin));
    EXPECT_EQ(styled.borders().color(), Variant(14540253.0));
    EXPECT_EQ(styled.numberFormat(), Variant("$#,##0.00"));
    EXPECT_EQ(styled.wrapText(), Variant(true));
    EXPECT_EQ(styled.locked(), Variant(false));
    EXPECT_EQ(sheet.range("C3").entireRow().hidden(), Variant(true));
    Comment note = sheet.range("C1").comment();
    EXPECT_EQ(note.text(), "Alert Details here");
    EXPECT_TRUE(note.shape().textFrame().autoSize());
    EXPECT_EQ(note.shape().textFrame().characters(1, 13).font().bold(), Variant(true));
    EXPECT_EQ(sheet.range("A1").hyperlinks().item(1).subAddress(), "DetailsSymbol");
    EXPECT_EQ(sheet.range("A1").hyperlinks().item(1).screenTip(), "tip");
    EXPECT_EQ(sheet.range("A3").formatConditions().item(1).interior().colorIndex(), Variant(40));
    EXPECT_EQ(sheet.range("A3").formatConditions().item(1).operator_(), xlLess);
    EXPECT_EQ(sheet.oleObjects().item("Advert1").width(), 300);
    EXPECT_FALSE(sheet.oleObjects().item("Advert1").visible());
    EXPECT_EQ(sheet.range("WatchListSymbol").address(), "$B$4");
    EXPECT_EQ(book.worksheets().item("Watch List").range("WatchlistAlertID").address(), "$H$4");
    EXPECT_EQ(book.vbProject().references().item(1).name(), "kavexservice");
    EXPECT_TRUE(sheet.protectContents());
    EXPECT_THROW(sheet.unprotect("other"), base::PlatformError);
    EXPECT_NO_THROW(sheet.unprotect("lantor"));
}

void expectRefused(const std::string& name, const std::string& content,
                   const std::string& position) {
    const std::string path = tempFile(name);
    writeText(path, content);
    Application app;
    try {
        app.workbooks().open(path);
        FAIL() << name << " was opened";
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.number(), 1004);
        EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
        EXPECT_NE(e.description().find(position), std::string::npos) << e.description();
    }
    EXPECT_EQ(app.workbooks().count(), 0);
    EXPECT_TRUE(app.activeWorkbook().isNothing());
}

TEST(WorkbookFileTest, DamagedFilesAreRefusedWithTheirPosition) {
    expectRefused("not-json.xls", "{\n  \"kavexWorkbook\": 1,\n  \"sheets\": [ oops ]\n}",
                  "line 3, column 15");
    expectRefused("truncated.xls", "{\"kavexWorkbook\": 1, \"sheets\": [", "line 1, column 33");
    expectRefused("no-sheets.xls", "{\"kavexWorkbook\": 1}", "line 1, column 1");
    expectRefused("bad-cell.xls",
                  "{\"kavexWorkbook\": 1,\n \"sheets\": [{\"name\": \"S\",\n  \"cells\": [\n"
                  "   {\"ref\": \"A1\", \"value\": 1},\n   {\"ref\": \"not a cell\"}]}]}",
                  "line 5, column 12");
    expectRefused("bad-formula.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": "
                  "[{\"ref\": \"A1\", \"formula\": \"=SUM(\"}]}]}",
                  "line 1, column 82");
    expectRefused("array.xls", "[1, 2]", "line 1, column 1");
    // A number beyond the range of a double is a fault of the file like any other.
    expectRefused("huge-number.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [\n"
                  "  {\"ref\": \"A1\", \"value\": 1e400}]}]}",
                  "number overflow parsing '1e400' (line 2, column 26)");
    expectRefused("bad-escape.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [\n"
                  "  {\"ref\": \"A1\", \"value\": {\"bytes\": \"x\\\\q\"}}]}]}",
                  "malformed byte escape at /sheets/0/cells/0/value (line 2, column 26)");
}

// The cells are read as the file streams by; the fault a damaged file is refused for is still
// the one it was: a syntax error anywhere first, then a malformed text, then the first fault in
// the order the sheet is read, with its own position.
TEST(WorkbookFileTest, TheFaultReportedIsTheFirstWhereverTheCellsAre) {
    // A syntax error after a damaged cell.
    expectRefused("cell-then-syntax.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [\n"
                  "  {\"ref\": \"zz\"}]}],\n oops}",
                  "syntax error");
    // A malformed text after a damaged cell.
    expectRefused(
        "cell-then-escape.xls",
        "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [\n"
        "  {\"ref\": \"zz\"},\n  {\"ref\": \"A2\", \"value\": {\"bytes\": \"\\\\q\"}}]}]}",
        "malformed byte escape at /sheets/0/cells/1/value (line 3, column 26)");
    // A fault of the sheet read before its cells.
    expectRefused("sheet-then-cell.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"cells\": [{\"ref\": \"zz\"}],\n"
                  "  \"name\": \"S\", \"protected\": 1}]}",
                  "true or false is expected at /sheets/0/protected (line 2, column 29)");
    // The second sheet's damaged cell, a cell listed twice and a cell that is no object.
    expectRefused(
        "second-sheet.xls",
        "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [{\"ref\": \"A1\"}]},\n"
        "  {\"name\": \"T\", \"cells\": [{\"ref\": \"A1\"}, {\"ref\": \"A1\"}]}]}",
        "the cell is listed twice at /sheets/1/cells/1/ref (line 2, column 50)");
    expectRefused("no-object.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [[1], 2]}]}",
                  "a cell object is expected at /sheets/0/cells/0");
    // A list of cells that is no list.
    expectRefused("cells-no-list.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": {}}]}",
                  "a list is expected at /sheets/0/cells");
}

// Bytes that are no UTF-8 (a byte from a feed) in a sheet name, a cell, a name or a comment are
// saved and read back as they were.
TEST(WorkbookFileTest, TextsThatAreNotUtf8AreSavedAndReadBack) {
    const std::string path = tempFile("bytes.xls");
    const std::string sheetName = "Feed\xE9";
    const std::string cellText = "caf\xE9 \\ \xC3\xA9 \xFF\xC3";  // Latin-1, a backslash, UTF-8
    const std::string plain = "C:\\data \xC3\xA9";                // valid: kept as it is
    {
        Application app;
        Workbook book = app.workbooks().add();
        Worksheet sheet = app.activeSheet();
        sheet.setName(sheetName);
        sheet.range("A1").setValue(cellText);
        sheet.range("A2").setValue(plain);
        sheet.range("A3").addComment("note \x80");
        book.names().add("Feed", "=\"\xFE\"");
        book.saveAs(path);
        EXPECT_FALSE(fs::exists(path + ".saving"));
    }
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find(R"("bytes": "caf\\xE9 \\\\ )"
                        "\xC3\xA9"
                        R"( \\xFF\\xC3")"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find(R"("C:\\data )"
                        "\xC3\xA9\""),
              std::string::npos)
        << file;

    Application app;
    Workbook book = app.workbooks().open(path);
    Worksheet sheet = book.worksheets().item(1);
    EXPECT_EQ(sheet.name(), sheetName);
    EXPECT_EQ(sheet.range("A1").value(), Variant(cellText));
    EXPECT_EQ(sheet.range("A2").value(), Variant(plain));
    EXPECT_EQ(sheet.range("A3").comment().text(), "note \x80");
    EXPECT_EQ(book.names().item("Feed").refersTo(), "=\"\xFE\"");
}

// A save that cannot complete leaves the old file as it was and no temporary file beside it.
TEST(WorkbookFileTest, AFailedSaveLeavesNoStrayFile) {
    const std::string dir = tempFile("occupied");
    fs::create_directories(dir);  // a folder where the file should go
    Application app;
    Workbook book = app.workbooks().add();
    app.activeSheet().range("A1").setValue("x");
    EXPECT_THROW(book.saveAs(dir), base::PlatformError);
    EXPECT_FALSE(fs::exists(dir + ".saving"));
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_THROW(book.saveAs(tempFile("no-such-folder/book.xls")), base::PlatformError);
    EXPECT_FALSE(fs::exists(tempFile("no-such-folder")));
}

TEST(WorkbookFileTest, AMissingFileIsRefused) {
    Application app;
    EXPECT_THROW(app.workbooks().open(tempFile("does-not-exist.xls")), base::PlatformError);
    EXPECT_EQ(app.workbooks().count(), 0);
}

TEST(WorkbookFileTest, AnAddInFileKeepsItsProjectMacrosAndAddInFlag) {
    const std::string path = tempFile("Service.xla");
    writeText(path, R"({"kavexWorkbook": 1, "isAddin": true,
        "vbProject": {"name": "kavexservice", "macros": ["ShowForms"]},
        "sheets": [{"name": "Sheet1"}]})");
    const std::string copy = tempFile("Service-copy.xla");
    {
        Application app;
        Workbook ordinary = app.workbooks().add();
        Workbook addIn = app.workbooks().open(path);
        // An add-in opens without a window: the ordinary workbook stays active and counted alone.
        EXPECT_TRUE(addIn.isAddin());
        EXPECT_EQ(app.activeWorkbook(), ordinary);
        EXPECT_EQ(app.workbooks().count(), 1);
        EXPECT_EQ(app.workbooks().item(1), ordinary);
        EXPECT_EQ(app.workbooks().item("service.xla"), addIn);
        EXPECT_EQ(addIn.vbProject().name(), "kavexservice");
        EXPECT_EQ(addIn.vbProject().macros(), std::vector<std::string>{"ShowForms"});
        // Its macros run by name, bare or in their workbook, and change nothing.
        EXPECT_TRUE(app.run("showforms").isEmpty());
        EXPECT_TRUE(app.run("'Service.xla'!ShowForms").isEmpty());
        EXPECT_TRUE(addIn.saved());
        EXPECT_THROW(app.run("Book1!ShowForms"), base::PlatformError);
        addIn.saveAs(copy);
        EXPECT_TRUE(ordinary.vbProject().macros().empty());
    }
    Application app;
    Workbook reopened = app.workbooks().open(copy);
    EXPECT_TRUE(reopened.isAddin());
    EXPECT_EQ(reopened.vbProject().macros(), std::vector<std::string>{"ShowForms"});
    EXPECT_TRUE(app.activeWorkbook().isNothing());
    // Closing the add-in leaves the macro unknown again.
    reopened.close();
    EXPECT_THROW(app.run("ShowForms"), base::PlatformError);
}

TEST(WorkbookFileTest, AMacroWithoutANameIsRefused) {
    const std::string path = tempFile("bad-macro.xla");
    writeText(path,
              R"({"kavexWorkbook": 1, "vbProject": {"macros": [""]}, "sheets": [{"name": "S"}]})");
    Application app;
    try {
        app.workbooks().open(path);
        FAIL();
    } catch (const base::PlatformError& e) {
        EXPECT_NE(e.description().find("/vbProject/macros/0"), std::string::npos)
            << e.description();
    }
    EXPECT_EQ(app.workbooks().count(), 0);
}

TEST(WorkbookFileTest, InstallingAnAddInOpensItsWorkbook) {
    const std::string path = tempFile("Kavex.xla");
    {
        Application app;
        Workbook book = app.workbooks().add();
        book.saveAs(path);
    }
    Application app;
    std::vector<std::string> events;
    struct Sink : ApplicationEvents {
        std::vector<std::string>* log;
        void sheetBeforeRightClick(Worksheet, Range, bool&) override {}
        void sheetChange(Worksheet, Range) override {}
        void sheetDeactivate(Worksheet) override {}
        void sheetFollowHyperlink(Worksheet, Hyperlink) override {}
        void workbookAddinInstall(Workbook wb) override { log->push_back("install " + wb.name()); }
        void workbookAddinUninstall(Workbook wb) override {
            log->push_back("uninstall " + wb.name());
        }
        void workbookBeforeClose(Workbook, bool&) override {}
        void workbookBeforeSave(Workbook, bool, bool&) override {}
        void workbookDeactivate(Workbook) override {}
        void sheetActivate(Worksheet) override {}
        void workbookActivate(Workbook) override {}
        void sheetSelectionChange(Worksheet, Range) override {}
        void workbookOpen(Workbook wb) override { log->push_back("open " + wb.name()); }
    };
    auto sink = std::make_shared<Sink>();
    sink->log = &events;
    app.addEventSink(sink);
    AddIn addIn = app.addIns().add(path);
    addIn.setInstalled(true);
    EXPECT_TRUE(app.addIns().item("kavex.xla").installed());
    EXPECT_TRUE(app.workbooks().item("kavex.xla").isAddin());
    EXPECT_EQ(app.workbooks().count(), 0);
    addIn.setInstalled(false);
    EXPECT_EQ(events, (std::vector<std::string>{"open Kavex.xla", "install Kavex.xla",
                                                "uninstall Kavex.xla"}));
    EXPECT_THROW(app.addIns().add(tempFile("missing.xla")), base::PlatformError);
}

}  // namespace
}  // namespace kavex::sheet
