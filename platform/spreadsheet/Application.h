#pragma once

// The headless spreadsheet host.
//
//   sheet::Application app;                          // owns every workbook
//   app.addEventSink(sink);                          // ApplicationEvents: the 13 events
//   app.registerFunction("KavexLast", fn);           // worksheet functions, names without case
//   app.registerMacro("ShowForms", macro);           // what Run can start
//   Workbook wb = app.workbooks().add();             // or app.workbooks().open("demo.xls")
//   Worksheet ws = app.activeSheet();
//   ws.range("B5").setValue("IBM");                  // cell entry rules; SheetChange
//   ws.range("C5").setFormula("=KavexLast(B5)");     // parsed, stored, evaluated
//   ws.range("WatchlistSymbol").row();               // names: the sheet's first, then workbook's
//   app.setCalculation(xlCalculationManual);         // recalculation deferred until automatic
//   wb.save(); wb.saveAs("/tmp/x.xls"); wb.close();  // JSON workbook files
//
// User actions for the scenario runner and the demo (each raises what the user's action raises):
//   app.typeInto(cell, "=A1*2");  app.typeInto(cell, "IBM", EntryKey::tab);  app.paste(cell,
//   {"IBM", "MSFT"});  app.clear(range); app.followHyperlink(cell);  app.rightClick(cell);
//   app.select(range);  app.activate(sheet); app.open(path);  app.close(workbook);
//   app.save(workbook, optional path).
//
// Every failed operation raises kavex::base::PlatformError with the host's number (1004 for a
// failed object operation, 424 for an object that is gone, 9 for a missing collection item).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/base/Variant.h"
#include "platform/spreadsheet/AddIns.h"
#include "platform/spreadsheet/ApplicationEvents.h"
#include "platform/spreadsheet/Borders.h"
#include "platform/spreadsheet/Characters.h"
#include "platform/spreadsheet/Comment.h"
#include "platform/spreadsheet/Constants.h"
#include "platform/spreadsheet/Font.h"
#include "platform/spreadsheet/FormatConditions.h"
#include "platform/spreadsheet/Hyperlinks.h"
#include "platform/spreadsheet/Interior.h"
#include "platform/spreadsheet/Names.h"
#include "platform/spreadsheet/OLEObjects.h"
#include "platform/spreadsheet/Palette.h"
#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"
#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::sheet {

// A worksheet function: called with the formula's arguments (values, and the area for a
// reference), returns the cell's value. Thrown errors give #VALUE!.
using WorksheetFunction = std::function<Variant(const std::vector<formula::Argument>&)>;
// The key that ends a typed entry, and where it leaves the selection: Enter one row down (how a
// user leaves a row), Tab one column right (how a user fills a row).
enum class EntryKey { enter, tab };
// A macro that Run can start.
using Macro = std::function<Variant(const std::vector<Variant>&)>;
// Answers the Save As dialog: a path, or nullopt when the user dismisses it.
using SaveAsDriver = std::function<std::optional<std::string>()>;
// The user's answer to the host's own prompt when a workbook with unsaved changes is closed.
enum class SaveChoice { save, dontSave, cancel };
// Asks it: the prompt's text and title; the user answers.
using SavePromptDriver =
    std::function<SaveChoice(const std::string& prompt, const std::string& title)>;

// A failure that escaped an event handler. The host catches it where it raised the event and
// goes on with its own operation; number and description are a platform error's, or -1 and the
// message of any other failure.
struct EventFailure {
    std::string event;  // "SheetChange", "WorkbookOpen", ...
    long number = 0;
    std::string description;
};
using EventFailureReporter = std::function<void(const EventFailure&)>;

class Application {
  public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Events. Sinks are held until removed; each event goes to every sink in order.
    void addEventSink(std::shared_ptr<ApplicationEvents> sink);
    void removeEventSink(const ApplicationEvents* sink);
    bool enableEvents() const;
    void setEnableEvents(bool enable);
    // Who hears of a handler's failure; by default one line on standard error.
    void setEventFailureReporter(EventFailureReporter reporter);

    // Objects.
    Workbooks workbooks();
    Workbook activeWorkbook() const;  // Nothing when no workbook is open
    Worksheet activeSheet() const;    // Nothing when no workbook is open
    Range activeCell() const;
    Range selection() const;
    Worksheets worksheets() const;  // of the active workbook; 1004 when none is open
    // An address or a name on the active sheet ("Sheet2!A1" names its sheet); a name resolves as
    // the active sheet's name first, then the active workbook's. 1004 when it does not resolve.
    Range range(std::string_view reference) const;
    Range cells(int row, int column) const;
    // The common cells of the ranges (Nothing when they do not meet); 1004 across sheets.
    Range intersect(const Range& a, const Range& b) const;
    AddIns addIns();

    // Switches.
    bool screenUpdating() const;
    void setScreenUpdating(bool value);
    bool displayAlerts() const;
    void setDisplayAlerts(bool value);
    int cutCopyMode() const;  // 0 (False), xlCopy or xlCut
    void setCutCopyMode(int mode);
    int enableCancelKey() const;
    void setEnableCancelKey(int value);
    int cursor() const;
    void setCursor(int cursor);
    Variant statusBar() const;  // False while the host shows its own text
    void setStatusBar(const Variant& value);
    int windowState() const;
    void setWindowState(int state);
    std::string version() const;  // "16.0" unless configured
    void setVersion(const std::string& version);
    std::string defaultFilePath() const;  // where never-saved workbooks are saved
    void setDefaultFilePath(const std::string& path);

    // Calculation.
    int calculation() const;
    // xlCalculationAutomatic, xlCalculationManual or xlCalculationSemiautomatic; going back to
    // automatic recalculates what became dirty. 1004 for other values.
    void setCalculation(int mode);
    void calculate();  // everything dirty in every open workbook

    // Host services.
    void registerFunction(const std::string& name, WorksheetFunction function);
    bool isRegisteredFunction(std::string_view name) const;
    void registerMacro(const std::string& name, Macro macro);
    // Runs a macro by name ("ShowForms", or "Kavex.xla!ShowForms" in that workbook): one the host
    // registered, else one that the project of an open workbook or installed add-in holds (the
    // active workbook's first), which changes nothing. 1004 "Cannot run the macro '...'..." for
    // a macro nobody holds.
    Variant run(std::string_view macroName, const std::vector<Variant>& arguments = {});
    // The Save As dialog: a path as text, or False when dismissed (or when no driver answers).
    Variant getSaveAsFilename();
    void setSaveAsDriver(SaveAsDriver driver);
    // Who answers the save prompt of a close (see Workbook::close). Without one nobody can be
    // asked, and the workbook closes as with DisplayAlerts off: without saving.
    void setSavePromptDriver(SavePromptDriver driver);

    // The user's actions.
    // Cell entry ended by Enter or Tab: one SheetChange, then the selection moves on (one
    // SheetSelectionChange); at the sheet's edge it stays.
    void typeInto(const Range& cell, std::string_view text, EntryKey key = EntryKey::enter);
    void paste(const Range& topCell, const std::vector<std::string>& texts);  // down, one change
    void clear(const Range& cells);  // delete key, one change
    // The user selects whole rows or columns by their headers (SheetSelectionChange) and deletes
    // them, or inserts as many blank ones before them: one SheetChange whose target is the whole
    // rows or columns. The selection stays where it was. 1004 for a range that is not whole rows
    // or whole columns (Range::delete_, Range::insert).
    void deleteLines(const Range& lines);
    void insertLines(const Range& lines);
    void followHyperlink(const Range& cell);  // its first link; 1004 when it has none
    bool rightClick(const Range& cell);       // selects it, SheetBeforeRightClick; false=cancelled
    void select(const Range& cells);          // activates its sheet first when needed
    void activate(const Worksheet& sheet);
    Workbook open(const std::string& path);
    bool close(const Workbook& workbook);  // false when a handler cancelled
    // Saves; with a path (or for a never-saved workbook, through the Save As dialog) saves as.
    // false when cancelled.
    bool save(const Workbook& workbook, const std::optional<std::string>& path = std::nullopt);

    // Internal.
    detail::AppState& state() const { return *state_; }

  private:
    std::unique_ptr<detail::AppState> state_;
};

}  // namespace kavex::sheet
