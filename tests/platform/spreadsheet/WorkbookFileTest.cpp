#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>

#include "platform/spreadsheet/Application.h"
#include "tests/platform/spreadsheet/ErrorNumber.h"

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

// Cells are read as the file is read, apart from the rest of the document; what is wrong is still
// reported as the document is read in order: a syntax error before any other fault, a malformed
// escape before what does not fit, and those in the order of the document's members.
TEST(WorkbookFileTest, FaultsAreReportedInTheOrderOfTheDocument) {
    const std::string badCell = R"({"ref": "A1"}, {"ref": "nowhere"})";
    const auto book = [](const std::string& first, const std::string& cells,
                         const std::string& tail = "") {
        return "{\"kavexWorkbook\": 1, \"sheets\": [\n" + first +
               ",\n{\"name\": \"T\", \"cells\": [" + cells + "]}]" + tail + "}";
    };
    expectRefused("cell-fault.xls", book(R"({"name": "S"})", badCell),
                  "a cell reference such as \"B5\" is expected at /sheets/1/cells/1/ref "
                  "(line 3, column 48)");
    // The first sheet's fault comes first, though the second sheet's cells were read before it.
    expectRefused("sheet-fault.xls", book(R"({"name": "S", "selection": "x y"})", badCell),
                  "range reference such as \"$A$1:$B$3\" is expected at /sheets/0/selection");
    expectRefused(
        "version-fault.xls",
        "{\"sheets\": [{\"name\": \"T\", \"cells\": [" + badCell + "]}], \"kavexWorkbook\": 2}",
        "format version 2 is not known at /kavexWorkbook");
    expectRefused("syntax-after.xls", book(R"({"name": "S"})", badCell, ",]"), "syntax error");
    expectRefused("escape-after.xls",
                  book(R"({"name": "S"})", badCell, R"(, "activeSheet": {"bytes": "\\q"})"),
                  "malformed byte escape at /activeSheet");
    expectRefused(
        "escape-in-cell.xls",
        book(R"({"name": {"bytes": "S\\q"}})", R"({"ref": "A1", "value": {"bytes": "\\q"}})"),
        "malformed byte escape at /sheets/0/name (line 2, column 10)");
    expectRefused("escape-in-later-cell.xls",
                  book(R"({"name": "S"})", R"({"ref": "A1", "value": {"bytes": "\\q"}})",
                       R"(, "activeSheet": {"bytes": "\\q"})"),
                  "malformed byte escape at /sheets/1/cells/0/value (line 3, column 48)");
    expectRefused("twice.xls", book(R"({"name": "S"})", R"({"ref": "A1"}, {"ref": "A1"})"),
                  "the cell is listed twice at /sheets/1/cells/1/ref");
    expectRefused("not-a-cell.xls", book(R"({"name": "S"})", R"({"ref": "A1"}, 5)"),
                  "a cell object is expected at /sheets/1/cells/1 (line 3, column 40)");
    expectRefused("not-a-list.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": {}}]}",
                  "a list is expected at /sheets/0/cells");
    // A member given twice counts with its last word, cells as much as any other.
    const std::string path = tempFile("last-word.xls");
    writeText(path,
              R"({"kavexWorkbook": 1, "sheets": [{"name": "S", "cells": [{"ref": "A1", "value": 1}],
                  "cells": [{"ref": "A2", "value": 2}]}]})");
    Application app;
    Worksheet sheet = app.workbooks().open(path).worksheets().item(1);
    EXPECT_TRUE(sheet.range("A1").value().isEmpty());
    EXPECT_EQ(sheet.range("A2").value(), Variant(2.0));
}

// A document nested far deeper than the format goes is refused as it is read: no walk of it may
// exhaust the stack, however deep the file is.
TEST(WorkbookFileTest, ADocumentNestedTooDeepIsRefused) {
    const std::string head = "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\"}], \"x\": ";
    for (const std::size_t depth : {20'000, 200'000}) {
        const std::string arrays = std::string(depth, '[') + std::string(depth, ']');
        expectRefused("deep-arrays.xls", head + arrays + "}",
                      "nested more than 64 levels deep (line 1, column 117)");
        std::string objects;
        for (std::size_t i = 0; i < depth; ++i) {
            objects += "{\"a\":";
        }
        objects += "1" + std::string(depth, '}');
        expectRefused("deep-objects.xls", head + objects + "}", "nested more than 64 levels deep");
        // Cut short: the fault is still the depth, found before the end is.
        expectRefused("deep-open.xls", head + std::string(depth, '['),
                      "nested more than 64 levels deep (line 1, column 117)");
        expectRefused("deep-value.xls",
                      "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": "
                      "[{\"ref\": \"A1\", \"value\": " +
                          arrays + "}]}]}",
                      "nested more than 64 levels deep");
        // A reference to such a file is named after the file, as for any file that is no workbook.
        const std::string project = tempFile("deep-project.xla");
        writeText(project, head + arrays + "}");
        Application app;
        Workbook book = app.workbooks().add();
        EXPECT_EQ(book.vbProject().references().addFromFile(project).name(), "deep-project");
    }
    // Nesting the format does not use, kept within bounds, still opens.
    const std::string path = tempFile("nested-extra.xls");
    writeText(path, head + std::string(50, '[') + std::string(50, ']') + "}");
    Application app;
    EXPECT_EQ(app.workbooks().open(path).worksheets().item(1).name(), "S");
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
    expectRefused("second-sheet.xls",
                  "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"cells\": [{\"ref\": "
                  "\"A1\"}]},\n"
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

// Whatever a cell holds is read back from the file as the very value it was: a file never holds
// a value it cannot read back. A number that is no finite number has no place in a file and is
// kept as the #NUM! it stands for.
TEST(WorkbookFileTest, EveryKindOfValueReadsBackAsItWasSaved) {
    const std::string path = tempFile("values.xls");
    const double huge = std::numeric_limits<double>::max();
    const std::vector<Variant> values = {
        Variant(true),
        Variant(false),
        Variant(0.1),
        Variant(-2.5),
        Variant(1e20),
        Variant(123456789012345678.0),
        Variant(1e-300),
        Variant(std::numeric_limits<double>::denorm_min()),
        Variant(huge),
        Variant(-huge),
        Variant("plain"),
        Variant("\xC3\xA9t\xC3\xA9 \xE2\x80\xA6"),
        Variant("\\xE9 written out"),         // looks like an escape, is plain text
        Variant("\\xE9 and \xE9 and \\\\"),   // a real byte among the look-alikes
        Variant(R"({"bytes": "caf\\xE9"})"),  // looks like an escaped text
        Variant(std::string("nul\0byte\x01\x7F\t", 11)),
        Variant(base::Date{39156.5}),
        Variant(base::Date{0}),
        Variant(base::CellError::Name),
        Variant(base::CellError::Value),
        Variant(base::CellError::Ref),
        Variant(base::CellError::Div0),
        Variant(base::CellError::NA),
        Variant(base::CellError::Num),
    };
    std::string sumFormula;
    const std::vector<Variant> nonFinite = {
        Variant(std::numeric_limits<double>::infinity()),
        Variant(-std::numeric_limits<double>::infinity()),
        Variant(std::numeric_limits<double>::quiet_NaN()),
        Variant(base::Date{std::numeric_limits<double>::infinity()}),
    };
    {
        Application app;
        Workbook book = app.workbooks().add();
        Worksheet sheet = app.activeSheet();
        for (std::size_t i = 0; i < values.size(); ++i) {
            sheet.cells(static_cast<int>(i) + 1, 1).setValue(values[i]);
        }
        sheet.range("B1").setValue(-0.0);
        for (std::size_t i = 0; i < nonFinite.size(); ++i) {
            sheet.cells(static_cast<int>(i) + 1, 3).setValue(nonFinite[i]);
        }
        sheet.range("D1").setFormula("=SUM(1E308,1E308)");
        sumFormula = sheet.range("D1").formula();
        sheet.range("D2").setValue(Variant::null());
        book.saveAs(path);
    }
    Application app;
    Worksheet sheet = app.workbooks().open(path).worksheets().item(1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Variant read = sheet.cells(static_cast<int>(i) + 1, 1).value();
        EXPECT_EQ(read.type(), values[i].type()) << i;
        EXPECT_EQ(read, values[i]) << i;
    }
    EXPECT_TRUE(sheet.range("B1").value().isNumber());
    EXPECT_TRUE(std::signbit(sheet.range("B1").value().number()));
    for (std::size_t i = 0; i < nonFinite.size(); ++i) {
        EXPECT_EQ(sheet.cells(static_cast<int>(i) + 1, 3).value(), Variant(base::CellError::Num))
            << i;
    }
    EXPECT_EQ(sheet.range("D1").value(), Variant(base::CellError::Num));
    EXPECT_EQ(sheet.range("D1").text(), "#NUM!");
    EXPECT_EQ(sheet.range("D1").formula(), sumFormula);
    EXPECT_TRUE(sheet.range("D2").value().isEmpty());
}

// A font size or an object's place that is no finite number would make a file that cannot be
// read back: it is refused when set, as a size out of range already is.
TEST(WorkbookFileTest, ANumberNoFileCanHoldIsRefusedWhenSet) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Application app;
    Workbook book = app.workbooks().add();
    Worksheet sheet = app.activeSheet();
    sheet.range("A1").setValue("x");
    EXPECT_EQ(errorNumber([&] { sheet.range("A1").font().setSize(nan); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("A1").characters(1, 1).font().setSize(nan); }), 1004);
    OLEObject object = sheet.oleObjects().add("Advert1", "Shell.Explorer.2", 10, 20, 300, 60);
    for (const double bad : {nan, inf, -inf}) {
        EXPECT_EQ(errorNumber([&] { object.setLeft(bad); }), 1004);
        EXPECT_EQ(errorNumber([&] { object.setTop(bad); }), 1004);
        EXPECT_EQ(errorNumber([&] { object.setWidth(bad); }), 1004);
        EXPECT_EQ(errorNumber([&] { object.setHeight(bad); }), 1004);
    }
    EXPECT_EQ(errorNumber([&] { sheet.oleObjects().add("Advert2", "", inf, 0, 1, 1); }), 1004);
    EXPECT_EQ(sheet.oleObjects().count(), 1);
    EXPECT_EQ(object.left(), 10);
    EXPECT_EQ(object.height(), 60);
    const std::string path = tempFile("refused-numbers.xls");
    book.saveAs(path);
    Application other;
    EXPECT_EQ(other.workbooks().open(path).worksheets().item(1).range("A1").font().size(),
              Variant(11.0));
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

// A save that fails half-way through writing (here: the file size the process may write runs
// out, as a full disk would) raises 1004, leaves the file it was to replace as it was and no
// part of the new one.
TEST(WorkbookFileTest, ASaveThatFailsWhileWritingKeepsTheOldFile) {
    const std::string path = tempFile("interrupted.xls");
    Application app;
    Workbook book = app.workbooks().add();
    Worksheet sheet = app.activeSheet();
    sheet.range("A1").setValue("old");
    book.saveAs(path);
    std::ifstream in(path, std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    in.close();
    for (int row = 1; row <= 2000; ++row) {
        sheet.cells(row, 2).setFormula("=A1*2+" + std::to_string(row));
    }
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const long number = errorNumber([&] { book.save(); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(number, 1004);
    EXPECT_FALSE(fs::exists(path + ".saving"));
    std::ifstream again(path, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(again)),
                            std::istreambuf_iterator<char>());
    EXPECT_EQ(after, before);
    EXPECT_FALSE(book.saved());
    book.save();  // with room again, the same save completes
    Application other;
    EXPECT_EQ(other.workbooks().open(path).worksheets().item(1).range("B2000").formula(),
              "=A1*2+2000");
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
        // An add-in opens without a window: the ordinary workbook stays active and counted
        // alone.
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
