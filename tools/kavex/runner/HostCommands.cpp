#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

using Args = const CommandArgs&;

// A value written as a word of a small table or as the number itself.
struct NamedValue {
    const char* word;
    int value;
};

template <std::size_t N>
int namedOrNumber(Args args, std::size_t index, const char* what, const NamedValue (&table)[N]) {
    const std::string word = base::toLowerAscii(args[index]);
    for (const NamedValue& entry : table) {
        if (word == entry.word) {
            return entry.value;
        }
    }
    const bool numeric =
        !word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-');
    if (!numeric) {
        std::string known;
        for (const NamedValue& entry : table) {
            known += (known.empty() ? "" : ", ") + std::string(entry.word);
        }
        args.fail(std::string(what) + " must be one of " + known + " or a number, not '" +
                  args[index] + "'");
    }
    return static_cast<int>(args.integer(index, what));
}

constexpr NamedValue kWindowStates[] = {{"normal", sheet::xlNormal},
                                        {"minimized", sheet::xlMinimized},
                                        {"maximized", sheet::xlMaximized}};
constexpr NamedValue kCutCopyModes[] = {
    {"false", 0}, {"off", 0}, {"copy", sheet::xlCopy}, {"cut", sheet::xlCut}};
constexpr NamedValue kCalculationModes[] = {{"automatic", sheet::xlCalculationAutomatic},
                                            {"manual", sheet::xlCalculationManual},
                                            {"semiautomatic", sheet::xlCalculationSemiautomatic}};

void openWorkbook(ScenarioContext& context, Args args) {
    context.application().open(context.resolvePath(args[0]).string());
}

void newWorkbook(ScenarioContext& context, Args args) {
    sheet::Application& app = context.application();
    sheet::Workbook workbook = app.workbooks().add();
    if (args.empty()) {
        return;
    }
    const std::string& name = args[0];
    if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") {
        args.fail("NAME must be a plain workbook name, not '" + name + "'");
    }
    // A workbook takes its name from its file: save it quietly into the script's own folder.
    const bool events = app.enableEvents();
    app.setEnableEvents(false);
    try {
        workbook.saveAs((context.temporaryDirectory() / name).string());
    } catch (...) {
        app.setEnableEvents(events);
        throw;
    }
    app.setEnableEvents(events);
}

void activateSheet(ScenarioContext& context, Args args) {
    context.application().activate(resolveSheet(context, args[0]));
}

void activateWorkbook(ScenarioContext& context, Args args) {
    resolveWorkbook(context, args[0]).activate();
}

void selectCells(ScenarioContext& context, Args args) {
    context.application().select(resolveReference(context, args[0]));
}

void typeText(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    goToSheetOf(context, cell);
    context.application().typeInto(cell, args[1]);
}

void typeTextWithTab(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    goToSheetOf(context, cell);
    context.application().typeInto(cell, args[1], sheet::EntryKey::tab);
}

void pasteTexts(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    const std::vector<std::string> texts(args.all().begin() + 1, args.all().end());
    goToSheetOf(context, cell);
    context.application().paste(cell, texts);
}

void clearCells(ScenarioContext& context, Args args) {
    const sheet::Range cells = resolveReference(context, args[0]);
    goToSheetOf(context, cells);
    context.application().clear(cells);
}

// A user deletes or inserts the whole columns or rows of the cells REF names.
void editLines(ScenarioContext& context, Args args, bool columns, bool remove) {
    const sheet::Range cells = resolveReference(context, args[0]);
    const sheet::Range lines = columns ? cells.entireColumn() : cells.entireRow();
    goToSheetOf(context, lines);
    if (remove) {
        context.application().deleteLines(lines);
    } else {
        context.application().insertLines(lines);
    }
}

void deleteColumns(ScenarioContext& context, Args args) {
    editLines(context, args, true, true);
}
void insertColumns(ScenarioContext& context, Args args) {
    editLines(context, args, true, false);
}
void deleteRows(ScenarioContext& context, Args args) {
    editLines(context, args, false, true);
}
void insertRows(ScenarioContext& context, Args args) {
    editLines(context, args, false, false);
}

void followLink(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    if (cell.hyperlinks().count() == 0) {
        throw ScriptError("the cell " + cellName(cell) + " has no hyperlink to follow");
    }
    goToSheetOf(context, cell);
    context.application().followHyperlink(cell);
}

void rightClick(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    goToSheetOf(context, cell);
    context.application().rightClick(cell);
}

void saveWorkbook(ScenarioContext& context, Args args) {
    const sheet::Workbook workbook = activeWorkbook(context);
    std::optional<std::string> path;
    if (!args.empty()) {
        path = context.resolvePath(args[0]).string();
    }
    context.application().save(workbook, path);
}

void closeWorkbook(ScenarioContext& context, Args args) {
    const sheet::Workbook workbook =
        args.empty() ? activeWorkbook(context) : resolveWorkbook(context, args[0]);
    context.application().close(workbook);
}

// The user ticks an add-in workbook in the host's add-in list: the file becomes known and is
// loaded (WorkbookOpen, then WorkbookAddinInstall).
void installAddin(ScenarioContext& context, Args args) {
    const std::filesystem::path file = context.resolvePath(args[0]);
    if (!std::filesystem::is_regular_file(file)) {
        throw ScriptError("there is no add-in workbook file " + file.string());
    }
    sheet::AddIn addin = context.application().addIns().add(file.string());
    if (addin.installed()) {
        throw ScriptError("the add-in " + addin.name() + " is installed already");
    }
    addin.setInstalled(true);
}

// The user unticks it: WorkbookAddinUninstall, and the add-in workbook is closed.
void uninstallAddin(ScenarioContext& context, Args args) {
    sheet::AddIns addins = context.application().addIns();
    for (int i = 1; i <= addins.count(); ++i) {
        sheet::AddIn addin = addins.item(i);
        const std::filesystem::path file(addin.fullName());
        if (base::equalsIgnoringCase(file.filename().string(), args[0]) ||
            base::equalsIgnoringCase(file.stem().string(), args[0])) {
            if (!addin.installed()) {
                throw ScriptError("the add-in " + addin.name() + " is not installed");
            }
            addin.setInstalled(false);
            return;
        }
    }
    throw ScriptError("the host knows no add-in named '" + args[0] + "'");
}

void hostVersion(ScenarioContext& context, Args args) {
    if (args[0].empty()) {
        args.fail("VALUE must not be empty");
    }
    context.application().setVersion(args[0]);
}

void hostWindowState(ScenarioContext& context, Args args) {
    context.application().setWindowState(namedOrNumber(args, 0, "STATE", kWindowStates));
}

void hostCutCopyMode(ScenarioContext& context, Args args) {
    const int mode = namedOrNumber(args, 0, "MODE", kCutCopyModes);
    if (mode != 0 && mode != sheet::xlCopy && mode != sheet::xlCut) {
        args.fail("MODE must be false, copy or cut");
    }
    context.application().setCutCopyMode(mode);
}

void hostEnableEvents(ScenarioContext& context, Args args) {
    context.application().setEnableEvents(args.flag(0, "VALUE"));
}

void hostDisplayAlerts(ScenarioContext& context, Args args) {
    context.application().setDisplayAlerts(args.flag(0, "VALUE"));
}

void hostCalculation(ScenarioContext& context, Args args) {
    context.application().setCalculation(namedOrNumber(args, 0, "MODE", kCalculationModes));
}

}  // namespace

void registerHostCommands(CommandTable& table) {
    table.add({"open", "FILE", "opens a workbook file (WorkbookOpen, then activation)", 1, 1,
               openWorkbook});
    table.add({"new", "[NAME]", "a new empty workbook, named NAME when given", 0, 1, newWorkbook});
    table.add(
        {"activate", "SHEET", "activates a sheet of the active workbook", 1, 1, activateSheet});
    table.add({"activate-workbook", "NAME", "activates an open workbook", 1, 1, activateWorkbook});
    table.add({"select", "REF", "selects cells (SheetSelectionChange)", 1, 1, selectCells});
    table.add({"type", "REF TEXT",
               "types TEXT into the cell and presses Enter (SheetChange, then one cell down)", 2, 2,
               typeText});
    table.add({"type-tab", "REF TEXT",
               "types TEXT into the cell and presses Tab (SheetChange, then one cell right)", 2, 2,
               typeTextWithTab});
    table.add({"paste", "REF TEXT...", "pastes the texts down from REF as one change", 2,
               ScriptCommand::unbounded, pasteTexts});
    table.add(
        {"clear", "REF", "deletes the contents of the cells as one change", 1, 1, clearCells});
    table.add({"delete-column", "REF",
               "deletes the whole columns of REF (SheetSelectionChange, one SheetChange)", 1, 1,
               deleteColumns});
    table.add({"insert-column", "REF",
               "inserts blank columns before the columns of REF (one SheetChange)", 1, 1,
               insertColumns});
    table.add({"delete-row", "REF",
               "deletes the whole rows of REF (SheetSelectionChange, one SheetChange)", 1, 1,
               deleteRows});
    table.add({"insert-row", "REF", "inserts blank rows before the rows of REF (one SheetChange)",
               1, 1, insertRows});
    table.add({"follow", "REF", "follows the first hyperlink of the cell", 1, 1, followLink});
    table.add(
        {"right-click", "REF", "right-clicks the cell (SheetBeforeRightClick)", 1, 1, rightClick});
    table.add(
        {"save", "[FILE]", "saves the active workbook (WorkbookBeforeSave)", 0, 1, saveWorkbook});
    table.add({"close", "[NAME]", "closes a workbook (WorkbookBeforeClose)", 0, 1, closeWorkbook});
    table.add({"install-addin", "FILE",
               "installs an add-in workbook file (WorkbookOpen, WorkbookAddinInstall)", 1, 1,
               installAddin});
    table.add({"uninstall-addin", "NAME",
               "uninstalls an installed add-in workbook (WorkbookAddinUninstall), closing it", 1, 1,
               uninstallAddin});
    table.add({"host version", "VALUE", "sets the host's version text", 1, 1, hostVersion});
    table.add({"host window-state", "normal|minimized|maximized", "sets the host window's state", 1,
               1, hostWindowState});
    table.add({"host cut-copy-mode", "false|copy|cut", "sets the host's cut-copy mode", 1, 1,
               hostCutCopyMode});
    table.add({"host enable-events", "true|false", "switches the host's events on or off", 1, 1,
               hostEnableEvents});
    table.add({"host display-alerts", "true|false",
               "switches the host's own alerts (the save prompt of a close) on or off", 1, 1,
               hostDisplayAlerts});
    table.add({"host calculation", "automatic|manual|semiautomatic",
               "sets the calculation mode (back to automatic recalculates what is dirty)", 1, 1,
               hostCalculation});
}

}  // namespace kavex::tool
