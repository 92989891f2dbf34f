#include "platform/spreadsheet/Application.h"

#include <algorithm>

#include "platform/base/Text.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

Application::Application() : state_(std::make_unique<AppState>()) {
    state_->owner = this;
}

Application::~Application() = default;

void Application::addEventSink(std::shared_ptr<ApplicationEvents> sink) {
    if (sink) {
        state_->sinks.push_back(std::move(sink));
    }
}

void Application::removeEventSink(const ApplicationEvents* sink) {
    std::erase_if(state_->sinks, [&](const auto& s) { return s.get() == sink; });
}

bool Application::enableEvents() const {
    return state_->enableEvents;
}
void Application::setEnableEvents(bool enable) {
    state_->enableEvents = enable;
}
void Application::setEventFailureReporter(EventFailureReporter reporter) {
    state_->eventFailureReporter = std::move(reporter);
}

// ---- Objects -----------------------------------------------------------------------------------

Workbooks Application::workbooks() {
    return Workbooks(*state_);
}

Workbook Application::activeWorkbook() const {
    if (state_->activeBook == nullptr) {
        return Workbook();
    }
    return Workbook(state_->activeBook->shared_from_this());
}

namespace {

SheetData* activeSheetData(const AppState& app) {
    if (app.activeBook == nullptr) {
        return nullptr;
    }
    return app.activeBook->activeSheet;
}

SheetData& requireActiveSheet(const AppState& app) {
    SheetData* sheet = activeSheetData(app);
    if (sheet == nullptr) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return *sheet;
}

}  // namespace

Worksheet Application::activeSheet() const {
    SheetData* sheet = activeSheetData(*state_);
    return sheet ? Worksheet(sheet->shared_from_this()) : Worksheet();
}

Range Application::activeCell() const {
    SheetData* sheet = activeSheetData(*state_);
    if (sheet == nullptr) {
        return Range();
    }
    return Range(sheet->shared_from_this(), {Area{sheet->activeRow, sheet->activeColumn,
                                                  sheet->activeRow, sheet->activeColumn}});
}

Range Application::selection() const {
    SheetData* sheet = activeSheetData(*state_);
    if (sheet == nullptr) {
        return Range();
    }
    return Range(sheet->shared_from_this(), sheet->selection);
}

Worksheets Application::worksheets() const {
    if (state_->activeBook == nullptr) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Worksheets(state_->activeBook->shared_from_this());
}

Range Application::range(std::string_view reference) const {
    SheetData& sheet = requireActiveSheet(*state_);
    if (auto target = resolveReference(sheet, reference)) {
        return Range(target->sheet->shared_from_this(), std::move(target->areas));
    }
    fail(base::errors::ApplicationDefined, "Method 'Range' of object '_Global' failed");
}

Range Application::cells(int row, int column) const {
    return Worksheet(requireActiveSheet(*state_).shared_from_this()).cells(row, column);
}

Range Application::intersect(const Range& a, const Range& b) const {
    a.live();
    b.live();
    if (a.sheetData() != b.sheetData()) {
        fail(base::errors::ApplicationDefined,
             "Method 'Intersect' of object '_Application' failed");
    }
    std::vector<Area> common;
    for (const Area& x : a.areas()) {
        for (const Area& y : b.areas()) {
            if (auto i = intersection(x, y)) {
                common.push_back(*i);
            }
        }
    }
    if (common.empty()) {
        return Range();
    }
    return Range(a.sheetData(), common);
}

AddIns Application::addIns() {
    return AddIns(*state_);
}

// ---- Switches ----------------------------------------------------------------------------------

bool Application::screenUpdating() const {
    return state_->screenUpdating;
}
void Application::setScreenUpdating(bool value) {
    state_->screenUpdating = value;
}
bool Application::displayAlerts() const {
    return state_->displayAlerts;
}
void Application::setDisplayAlerts(bool value) {
    state_->displayAlerts = value;
}
int Application::cutCopyMode() const {
    return state_->cutCopyMode;
}

void Application::setCutCopyMode(int mode) {
    if (mode != 0 && mode != xlCopy && mode != xlCut) {
        fail(base::errors::ApplicationDefined, "Unable to set the CutCopyMode property");
    }
    state_->cutCopyMode = mode;
}

int Application::enableCancelKey() const {
    return state_->enableCancelKey;
}

void Application::setEnableCancelKey(int value) {
    if (value != xlDisabled && value != xlInterrupt && value != xlErrorHandler) {
        fail(base::errors::ApplicationDefined, "Unable to set the EnableCancelKey property");
    }
    state_->enableCancelKey = value;
}

int Application::cursor() const {
    return state_->cursor;
}

void Application::setCursor(int value) {
    if (value != xlDefault && value != xlWait && value != xlNorthwestArrow && value != xlIBeam) {
        fail(base::errors::ApplicationDefined, "Unable to set the Cursor property");
    }
    state_->cursor = value;
}

Variant Application::statusBar() const {
    return state_->statusBar;
}

void Application::setStatusBar(const Variant& value) {
    state_->statusBar = value.isBool() && !value.boolean() ? Variant(false) : value;
}

int Application::windowState() const {
    return state_->windowState;
}

void Application::setWindowState(int value) {
    if (value != xlNormal && value != xlMinimized && value != xlMaximized) {
        fail(base::errors::ApplicationDefined, "Unable to set the WindowState property");
    }
    state_->windowState = value;
}

std::string Application::version() const {
    return state_->version;
}
void Application::setVersion(const std::string& value) {
    state_->version = value;
}
std::string Application::defaultFilePath() const {
    return state_->defaultFilePath;
}
void Application::setDefaultFilePath(const std::string& path) {
    state_->defaultFilePath = path;
}

// ---- Calculation -------------------------------------------------------------------------------

int Application::calculation() const {
    return state_->calculation;
}

void Application::setCalculation(int mode) {
    if (mode != xlCalculationAutomatic && mode != xlCalculationManual &&
        mode != xlCalculationSemiautomatic) {
        fail(base::errors::ApplicationDefined,
             "Unable to set the Calculation property of the Application class");
    }
    const int before = state_->calculation;
    state_->calculation = mode;
    if (mode == xlCalculationAutomatic && before != xlCalculationAutomatic) {
        state_->calculateDirty();
    }
}

void Application::calculate() {
    state_->calculateDirty();
}

// ---- Host services -----------------------------------------------------------------------------

void Application::registerFunction(const std::string& name, WorksheetFunction function) {
    if (name.empty() || !function) {
        fail(base::errors::InvalidProcedureCall, "Invalid procedure call or argument");
    }
    // A new slot each time: a function being called keeps running on its own callable.
    state_->functions.push_back(FunctionSlot{name, std::move(function)});
    state_->functionIndex[base::toLowerAscii(name)] =
        static_cast<int>(state_->functions.size() - 1);
    ++state_->functionsVersion;
    state_->dependenciesStale = true;
}

bool Application::isRegisteredFunction(std::string_view name) const {
    return state_->functionSlot(name) >= 0;
}

void Application::registerMacro(const std::string& name, Macro macro) {
    state_->macros[base::toLowerAscii(name)] = std::move(macro);
}

namespace {

bool declaresMacro(const BookData& book, std::string_view macro) {
    return std::any_of(book.macros.begin(), book.macros.end(),
                       [&](const std::string& m) { return base::equalsIgnoringCase(m, macro); });
}

// The open workbooks and installed add-ins whose projects Run searches: the one the name gives
// ("Kavex.xla!ShowForms"), else the active workbook first and then every other.
std::vector<const BookData*> macroBooks(const AppState& app, std::string_view bookName) {
    std::vector<const BookData*> all;
    if (bookName.empty() && app.activeBook != nullptr) {
        all.push_back(app.activeBook);
    }
    for (const auto& b : app.books) {
        all.push_back(b.get());
    }
    for (const auto& a : app.addIns) {
        if (a.book) {
            all.push_back(a.book.get());
        }
    }
    if (!bookName.empty()) {
        std::erase_if(
            all, [&](const BookData* b) { return !base::equalsIgnoringCase(b->name, bookName); });
    }
    return all;
}

}  // namespace

Variant Application::run(std::string_view macroName, const std::vector<Variant>& arguments) {
    std::string_view bare = macroName;
    std::string_view bookName;
    if (const auto bang = bare.rfind('!'); bang != std::string_view::npos) {
        bookName = bare.substr(0, bang);
        bare = bare.substr(bang + 1);
        if (bookName.size() >= 2 && bookName.front() == '\'' && bookName.back() == '\'') {
            bookName = bookName.substr(1, bookName.size() - 2);
        }
    }
    auto it = state_->macros.find(base::toLowerAscii(bare));
    if (it != state_->macros.end()) {
        Macro macro = it->second;  // the macro may register others while it runs
        return macro(arguments);
    }
    // A macro of a workbook's own project: the host keeps its name but not its code, so running
    // it changes nothing.
    for (const BookData* book : macroBooks(*state_, bookName)) {
        if (declaresMacro(*book, bare)) {
            return Variant();
        }
    }
    fail(base::errors::ApplicationDefined,
         "Cannot run the macro '" + std::string(macroName) +
             "'. The macro may not be available in this workbook or all macros may be "
             "disabled.");
}

Variant Application::getSaveAsFilename() {
    if (!state_->saveAsDriver) {
        return Variant(false);
    }
    SaveAsDriver driver = state_->saveAsDriver;
    if (auto path = driver()) {
        return Variant(*path);
    }
    return Variant(false);
}

void Application::setSaveAsDriver(SaveAsDriver driver) {
    state_->saveAsDriver = std::move(driver);
}

void Application::setSavePromptDriver(SavePromptDriver driver) {
    state_->savePromptDriver = std::move(driver);
}

// ---- The user's actions ------------------------------------------------------------------------

namespace {

// The user goes to the cells' sheet and selects them, as a click does.
void goTo(AppState& app, const Range& cells) {
    SheetData& sheet = cells.live();
    app.activateSheet(sheet);
    if (sheet.alive && sheet.selection != cells.areas()) {
        app.selectRange(sheet, cells.areas(), true);
    }
}

}  // namespace

void Application::typeInto(const Range& cell, std::string_view text, EntryKey key) {
    SheetData& sheet = cell.live();
    const Area& a = cell.areas().front();
    const Range target(cell.sheetData(),
                       {Area{a.firstRow, a.firstColumn, a.firstRow, a.firstColumn}});
    goTo(*state_, target);
    if (!sheet.alive) {
        failObjectGone();
    }
    state_->checkWritable(sheet, target.areas());
    const Entry entry = readEntry(text);
    std::shared_ptr<const CompiledFormula> compiled;
    if (entry.isFormula) {
        compiled = state_->compile(entry.formulaText);
    }
    auto hold = cell.sheetData();
    state_->storeEntry(sheet, a.firstRow, a.firstColumn, Variant(std::string(text)), compiled);
    // The key moves the active cell before the change is reported, so a SheetChange handler
    // already sees the cell the user went on to; the selection's own event follows the change.
    const int nextRow = key == EntryKey::enter ? std::min(a.firstRow + 1, kMaxRows) : a.firstRow;
    const int nextColumn =
        key == EntryKey::tab ? std::min(a.firstColumn + 1, kMaxColumns) : a.firstColumn;
    const std::vector<Area> next{Area{nextRow, nextColumn, nextRow, nextColumn}};
    const bool moves = next != target.areas();
    if (moves) {
        state_->selectRange(sheet, next, false);
    }
    state_->changed(*hold, target.areas(), {cellKey(a.firstRow, a.firstColumn)});
    // A handler that went elsewhere meanwhile raised its own events; the move is then history.
    if (moves && hold->alive && hold->book != nullptr && state_->activeBook == hold->book &&
        hold->book->activeSheet == hold.get() && hold->selection == next) {
        Worksheet ws(hold);
        Range moved(hold, next);
        state_->raise("SheetSelectionChange",
                      [&](ApplicationEvents& s) { s.sheetSelectionChange(ws, moved); });
    }
}

void Application::paste(const Range& topCell, const std::vector<std::string>& texts) {
    SheetData& sheet = topCell.live();
    if (texts.empty()) {
        return;
    }
    const Area& a = topCell.areas().front();
    const Area area{a.firstRow, a.firstColumn, a.firstRow + static_cast<int>(texts.size()) - 1,
                    a.firstColumn};
    if (area.lastRow > kMaxRows) {
        fail(base::errors::ApplicationDefined, "The paste area does not fit on the sheet");
    }
    const Range target(topCell.sheetData(), {area});
    goTo(*state_, target);
    if (!sheet.alive) {
        failObjectGone();
    }
    state_->checkWritable(sheet, {area});
    // Every formula is read before anything is written, so a bad one pastes nothing.
    std::vector<std::shared_ptr<const CompiledFormula>> compiled(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const Entry entry = readEntry(texts[i]);
        if (entry.isFormula) {
            compiled[i] = state_->compile(entry.formulaText);
        }
    }
    auto hold = topCell.sheetData();
    std::vector<CellKey> keys;
    for (std::size_t i = 0; i < texts.size() && hold->alive; ++i) {
        const int row = area.firstRow + static_cast<int>(i);
        state_->storeEntry(*hold, row, area.firstColumn, Variant(texts[i]), compiled[i]);
        keys.push_back(cellKey(row, area.firstColumn));
    }
    state_->changed(*hold, {area}, keys);
}

void Application::clear(const Range& cells) {
    goTo(*state_, cells);
    Range(cells).clearContents();
}

void Application::deleteLines(const Range& lines) {
    goTo(*state_, lines);
    Range(lines).delete_();
}

void Application::insertLines(const Range& lines) {
    goTo(*state_, lines);
    Range(lines).insert();
}

void Application::followHyperlink(const Range& cell) {
    SheetData& sheet = cell.live();
    const Area& a = cell.areas().front();
    if (const auto links = sheet.hyperlinks.at(a.firstRow, a.firstColumn); !links.empty()) {
        followLink(sheet, links.front()->id);
        return;
    }
    fail(base::errors::ApplicationDefined,
         "The cell " + areaAddress(a, false, false) + " has no hyperlink");
}

bool Application::rightClick(const Range& cell) {
    SheetData& sheet = cell.live();
    const Area& a = cell.areas().front();
    state_->activateSheet(sheet);
    const bool inside =
        std::any_of(sheet.selection.begin(), sheet.selection.end(),
                    [&](const Area& s) { return s.contains(a.firstRow, a.firstColumn); });
    if (!inside) {
        state_->selectRange(sheet, {Area{a.firstRow, a.firstColumn, a.firstRow, a.firstColumn}},
                            true);
    }
    bool cancel = false;
    Worksheet ws(cell.sheetData());
    Range target(cell.sheetData(), sheet.selection);
    state_->raise("SheetBeforeRightClick",
                  [&](ApplicationEvents& s) { s.sheetBeforeRightClick(ws, target, cancel); });
    return !cancel;
}

void Application::select(const Range& cells) {
    SheetData& sheet = cells.live();
    state_->activateSheet(sheet);
    state_->selectRange(sheet, cells.areas(), true);
}

void Application::activate(const Worksheet& sheet) {
    Worksheet(sheet).activate();
}

Workbook Application::open(const std::string& path) {
    return workbooks().open(path);
}

bool Application::close(const Workbook& workbook) {
    return Workbook(workbook).close();
}

bool Application::save(const Workbook& workbook, const std::optional<std::string>& path) {
    BookData& book = workbook.live();
    if (path) {
        return saveBook(book, path, true);
    }
    if (!book.path.empty()) {
        return saveBook(book, std::nullopt, false);
    }
    // A workbook never saved: the user is asked for a file name first.
    bool cancel = false;
    Workbook wb(book.shared_from_this());
    state_->raise("WorkbookBeforeSave",
                  [&](ApplicationEvents& s) { s.workbookBeforeSave(wb, true, cancel); });
    if (cancel || !book.alive) {
        return false;
    }
    const Variant answer = getSaveAsFilename();
    if (!answer.isText()) {
        return false;
    }
    const bool events = state_->enableEvents;
    state_->enableEvents = false;  // the save was announced already
    try {
        saveBook(book, answer.text(), true);
    } catch (...) {
        state_->enableEvents = events;
        throw;
    }
    state_->enableEvents = events;
    return true;
}

// ---- Following a link --------------------------------------------------------------------------

namespace detail {

void followLink(SheetData& sheet, std::uint64_t linkId) {
    AppState& app = sheet.app();
    auto hold = sheet.shared_from_this();
    const HyperlinkData* found = sheet.hyperlinks.find(linkId);
    if (found == nullptr) {
        failObjectGone();
    }
    const HyperlinkData link = *found;
    if (!link.subAddress.empty()) {
        // A sub-address that names no place ("To Watch List…") moves nothing, but the link was
        // followed all the same: the add-in decides what such a link does.
        if (auto target = resolveReference(sheet, link.subAddress)) {
            auto keepTarget = target->sheet->shared_from_this();
            app.activateSheet(*keepTarget);
            if (keepTarget->alive) {
                app.selectRange(*keepTarget, target->areas, true);
            }
        }
    }
    if (!hold->alive) {
        return;
    }
    Worksheet ws(hold);
    Hyperlink hyperlink(hold, linkId);
    app.raise("SheetFollowHyperlink",
              [&](ApplicationEvents& s) { s.sheetFollowHyperlink(ws, hyperlink); });
}

}  // namespace detail

}  // namespace kavex::sheet
