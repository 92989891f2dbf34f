// The application's state: workbooks and sheets, activation and selection, and the write path
// every change of a cell goes through.

#include <algorithm>

#include "platform/base/Text.h"
#include "platform/spreadsheet/detail/Model.h"
#include "platform/spreadsheet/formula/ArgumentList.h"
#include "platform/spreadsheet/formula/Node.h"

namespace kavex::sheet::detail {

void fail(long number, const std::string& description) {
    throw base::PlatformError(number, description);
}

void failObjectGone() {
    fail(base::errors::ObjectRequired, "Object required");
}

BookData& liveBook(const std::shared_ptr<BookData>& book) {
    if (!book) {
        fail(91, "Object variable or With block variable not set");
    }
    if (!book->alive || book->app == nullptr) {
        failObjectGone();
    }
    return *book;
}

const Style& defaultStyle() {
    static const Style style;
    return style;
}

void SheetData::dropIfBlank(int row, int column) {
    auto it = cells.find(cellKey(row, column));
    if (it != cells.end() && it->second.blank() && !it->second.evaluating) {
        cells.erase(it);
    }
}

AppState& SheetData::app() const {
    if (!alive || book == nullptr || book->app == nullptr) {
        failObjectGone();
    }
    return *book->app;
}

SheetData* BookData::sheetNamed(std::string_view name) const {
    for (const auto& sheet : sheets) {
        if (base::equalsIgnoringCase(sheet->name, name)) {
            return sheet.get();
        }
    }
    return nullptr;
}

std::shared_ptr<SheetData> BookData::shared(const SheetData* sheet) const {
    for (const auto& s : sheets) {
        if (s.get() == sheet) {
            return s;
        }
    }
    return nullptr;
}

AppState::~AppState() {
    for (auto& book : books) {
        for (auto& sheet : book->sheets) {
            sheet->alive = false;
            sheet->book = nullptr;
        }
        book->alive = false;
        book->app = nullptr;
    }
    for (auto& addIn : addIns) {
        if (addIn.book) {
            for (auto& sheet : addIn.book->sheets) {
                sheet->alive = false;
                sheet->book = nullptr;
            }
            addIn.book->alive = false;
            addIn.book->app = nullptr;
        }
    }
}

SheetData* AppState::sheetById(std::uint32_t id) const {
    auto it = sheetsById.find(id);
    return it == sheetsById.end() ? nullptr : it->second;
}

std::shared_ptr<BookData> AppState::newBook(const std::string& name) {
    auto book = std::make_shared<BookData>();
    book->app = this;
    book->name = name;
    return book;
}

std::shared_ptr<SheetData> AppState::addSheet(BookData& book, const std::string& name) {
    auto sheet = std::make_shared<SheetData>();
    sheet->id = nextSheetId++;
    sheet->name = name;
    sheet->book = &book;
    book.sheets.push_back(sheet);
    if (book.activeSheet == nullptr) {
        book.activeSheet = sheet.get();
    }
    if (book.app != nullptr) {
        sheetsById[sheet->id] = sheet.get();
    }
    dependenciesStale = true;
    return sheet;
}

void AppState::adoptBook(const std::shared_ptr<BookData>& book) {
    book->app = this;
    for (auto& sheet : book->sheets) {
        if (sheet->id == 0) {
            sheet->id = nextSheetId++;
        }
        sheet->book = book.get();
        sheetsById[sheet->id] = sheet.get();
    }
    if (book->activeSheet == nullptr && !book->sheets.empty()) {
        book->activeSheet = book->sheets.front().get();
    }
    dependenciesStale = true;
}

void AppState::detachBook(BookData& book) {
    auto self = book.shared_from_this();
    for (auto& sheet : book.sheets) {
        sheet->alive = false;
        sheet->book = nullptr;
        sheetsById.erase(sheet->id);
    }
    book.alive = false;
    book.app = nullptr;
    books.erase(
        std::remove_if(books.begin(), books.end(), [&](const auto& b) { return b.get() == &book; }),
        books.end());
    for (auto& addIn : addIns) {
        if (addIn.book.get() == &book) {
            addIn.book.reset();
            addIn.installed = false;
        }
    }
    if (activeBook == &book) {
        activeBook = nullptr;
    }
    dependenciesStale = true;
}

void AppState::activateBook(BookData& book) {
    if (activeBook == &book || book.isAddin) {
        return;
    }
    BookData* old = activeBook;
    activeBook = &book;
    if (old != nullptr && old->alive) {
        Workbook left(old->shared_from_this());
        raise("WorkbookDeactivate", [&](ApplicationEvents& s) { s.workbookDeactivate(left); });
    }
    Workbook entered(book.shared_from_this());
    raise("WorkbookActivate", [&](ApplicationEvents& s) { s.workbookActivate(entered); });
}

void AppState::activateSheet(SheetData& sheet) {
    if (!sheet.alive || sheet.book == nullptr) {
        failObjectGone();
    }
    BookData& book = *sheet.book;
    if (activeBook != &book) {
        activateBook(book);
    }
    if (book.activeSheet != &sheet && sheet.alive) {
        SheetData* old = book.activeSheet;
        book.activeSheet = &sheet;
        if (old != nullptr && old->alive) {
            Worksheet left(old->shared_from_this());
            raise("SheetDeactivate", [&](ApplicationEvents& s) { s.sheetDeactivate(left); });
        }
        // As in the spreadsheet, a switch under way is not undone by a deactivation handler that
        // goes back to the sheet left with events off: the sheet entered is still reported, even
        // though it is no longer the active sheet.
        Worksheet entered(sheet.shared_from_this());
        raise("SheetActivate", [&](ApplicationEvents& s) { s.sheetActivate(entered); });
    }
}

void AppState::selectRange(SheetData& sheet, const std::vector<Area>& areas, bool raiseEvent) {
    if (sheet.book == nullptr || activeBook != sheet.book || sheet.book->activeSheet != &sheet) {
        fail(base::errors::ApplicationDefined, "Select method of Range class failed");
    }
    // Selecting the cells that are selected already changes nothing, and raises nothing.
    const bool same = sheet.selection == areas && sheet.activeRow == areas.front().firstRow &&
                      sheet.activeColumn == areas.front().firstColumn;
    sheet.selection = areas;
    sheet.activeRow = areas.front().firstRow;
    sheet.activeColumn = areas.front().firstColumn;
    if (raiseEvent && !same) {
        Worksheet ws(sheet.shared_from_this());
        Range target(sheet.shared_from_this(), areas);
        raise("SheetSelectionChange",
              [&](ApplicationEvents& s) { s.sheetSelectionChange(ws, target); });
    }
}

// ---- Writing -----------------------------------------------------------------------------------

void AppState::checkWritable(SheetData& sheet, const std::vector<Area>& areas) const {
    if (!sheet.protectContents) {
        return;
    }
    for (const Area& area : areas) {
        if (area.cellCount() > 65536) {
            fail(base::errors::ApplicationDefined, kProtectedMessage);
        }
        for (int r = area.firstRow; r <= area.lastRow; ++r) {
            for (int c = area.firstColumn; c <= area.lastColumn; ++c) {
                const Cell* cell = sheet.find(r, c);
                if (cell == nullptr || cell->look().locked) {
                    fail(base::errors::ApplicationDefined, kProtectedMessage);
                }
            }
        }
    }
}

void AppState::checkFormattable(SheetData& sheet) const {
    if (sheet.protectContents) {
        fail(base::errors::ApplicationDefined, kProtectedMessage);
    }
}

namespace {

// No "$" in any reference, and no reference that reaches the sheet's last row or column (whole
// rows or columns among them), whose moving render and evaluation may not agree on.
bool allRelative(const formula::Node& node) {
    if (node.kind == formula::NodeKind::Reference) {
        const formula::ReferenceForm& form = node.form;
        if (form.absoluteFirstRow || form.absoluteFirstColumn || form.absoluteLastRow ||
            form.absoluteLastColumn || node.area.lastRow >= kMaxRows ||
            node.area.lastColumn >= kMaxColumns) {
            return false;
        }
    }
    return std::all_of(node.children.begin(), node.children.end(),
                       [](const formula::Node& child) { return allRelative(child); });
}

}  // namespace

bool AppState::canShare(const CompiledFormula& compiled, int rowShift, int columnShift) {
    if (!compiled.shareable) {
        return false;
    }
    return std::all_of(compiled.parsed.references().begin(), compiled.parsed.references().end(),
                       [&](const formula::AreaRef& area) {
                           return area.firstRow + rowShift >= 1 &&
                                  area.lastRow + rowShift < kMaxRows &&
                                  area.firstColumn + columnShift >= 1 &&
                                  area.lastColumn + columnShift < kMaxColumns;
                       });
}

std::string AppState::formulaText(const Cell& cell) const {
    return renderFormula(*cell.formula, cell.rowShift, cell.columnShift);
}

void AppState::unshare(Cell& cell) const {
    if (cell.formula && (cell.rowShift != 0 || cell.columnShift != 0)) {
        cell.formula = compile(formulaText(cell));
    }
    cell.rowShift = 0;
    cell.columnShift = 0;
}

CompiledFormula::CompiledFormula(formula::Formula formula) : parsed(std::move(formula)) {
    shareable = parsed.root() != nullptr && allRelative(*parsed.root());
    const auto entry = parsed.plainHostCall();
    if (!entry) {
        return;
    }
    const auto& references = parsed.references();
    plainEntry = static_cast<std::uint32_t>(*entry);
    plainCount = static_cast<std::uint32_t>(references.size());
    plainArguments = references.data();
}

void AppState::noteNames(const formula::Formula& parsed) const {
    for (const std::string& name : parsed.names()) {
        const auto bang = name.rfind('!');
        namesInFormulas.insert(
            base::toLowerAscii(bang == std::string::npos ? name : name.substr(bang + 1)));
    }
}

std::shared_ptr<const CompiledFormula> AppState::compile(std::string_view textAfterEquals) const {
    try {
        auto compiled = std::make_shared<CompiledFormula>(formula::parse(textAfterEquals));
        noteNames(compiled->parsed);
        return compiled;
    } catch (const formula::ParseError& e) {
        fail(base::errors::ApplicationDefined,
             "The formula contains an error: " + std::string(e.what()) + " (at character " +
                 std::to_string(e.position() + 2) + ")");
    }
}

namespace {

void retireFormula(AppState& app, Cell& cell) {
    if (cell.formula && cell.evaluating) {
        app.retired.push_back(cell.formula);
    }
}

void setFormatIfGeneral(Cell& cell, const std::string& format) {
    if (format.empty() || !base::equalsIgnoringCase(cell.look().numberFormat, "General")) {
        return;
    }
    auto style = std::make_shared<Style>(cell.look());
    style->numberFormat = format;
    cell.style = std::move(style);
}

}  // namespace

void AppState::storeFormula(SheetData& sheet, int row, int column,
                            std::shared_ptr<const CompiledFormula> compiled, int rowShift,
                            int columnShift) {
    const CellKey key = cellKey(row, column);
    Cell& cell = sheet.cells[key];
    unregisterFormula(sheet, key);
    retireFormula(*this, cell);
    cell.formula = std::move(compiled);
    cell.rowShift = rowShift;
    cell.columnShift = static_cast<std::int16_t>(columnShift);
    sheet.formulaReach.include(cell.formula->parsed, cell.rowShift, cell.columnShift);
    cell.spans.clear();
    cell.dirty = true;
    registerFormula(sheet, key, cell);
    auto hold = sheet.shared_from_this();
    // In manual mode the new formula computes from the values as they stand.
    evaluateCell(sheet, key, calculation == xlCalculationAutomatic);
    trimArguments();
}

void AppState::storeEntry(SheetData& sheet, int row, int column, const Variant& value,
                          const std::shared_ptr<const CompiledFormula>& preparsed) {
    if (value.isText()) {
        Entry entry = readEntry(value.text());
        if (entry.isFormula) {
            storeFormula(sheet, row, column, preparsed ? preparsed : compile(entry.formulaText));
            return;
        }
        const CellKey key = cellKey(row, column);
        Cell& cell = sheet.cells[key];
        if (cell.formula) {
            unregisterFormula(sheet, key);
            retireFormula(*this, cell);
            cell.formula.reset();
        }
        cell.value = std::move(entry.value);
        cell.spans.clear();
        cell.dirty = false;
        setFormatIfGeneral(cell, entry.impliedFormat);
        sheet.dropIfBlank(row, column);
        return;
    }
    const CellKey key = cellKey(row, column);
    Cell& cell = sheet.cells[key];
    if (cell.formula) {
        unregisterFormula(sheet, key);
        retireFormula(*this, cell);
        cell.formula.reset();
    }
    if (value.isNull() || value.isMissing()) {
        cell.value = Variant();
    } else {
        cell.value = value;
    }
    cell.spans.clear();
    cell.dirty = false;
    if (value.isDate()) {
        setFormatIfGeneral(cell, value.date().serial >= 1.0 ? "m/d/yyyy" : "h:mm:ss AM/PM");
    }
    sheet.dropIfBlank(row, column);
}

void AppState::clearCell(SheetData& sheet, int row, int column) {
    const CellKey key = cellKey(row, column);
    auto it = sheet.cells.find(key);
    if (it == sheet.cells.end()) {
        return;
    }
    Cell& cell = it->second;
    if (cell.formula) {
        unregisterFormula(sheet, key);
        retireFormula(*this, cell);
        cell.formula.reset();
    }
    cell.value = Variant();
    cell.spans.clear();
    cell.dirty = false;
    sheet.dropIfBlank(row, column);
}

void AppState::touch(SheetData& sheet) {
    ++sheet.changes;
    if (sheet.book != nullptr) {
        sheet.book->saved = false;
    }
}

void AppState::changed(SheetData& sheet, const std::vector<Area>& areas,
                       const std::vector<CellKey>& keys, bool raiseEvent) {
    auto hold = sheet.shared_from_this();
    touch(sheet);
    std::vector<GlobalKey> global;
    global.reserve(keys.size());
    for (CellKey key : keys) {
        global.push_back(globalKey(sheet.id, key));
    }
    valuesChanged(global);
    if (raiseEvent && sheet.alive) {
        Worksheet ws(hold);
        Range target(hold, areas);
        raise("SheetChange", [&](ApplicationEvents& s) { s.sheetChange(ws, target); });
    }
}

std::vector<CellKey> existingKeys(SheetData& sheet, const std::vector<Area>& areas) {
    std::vector<CellKey> keys;
    long long total = 0;
    for (const Area& a : areas) {
        total += a.cellCount();
    }
    if (total <= static_cast<long long>(sheet.cells.size()) * 2 + 64) {
        for (const Area& a : areas) {
            for (int r = a.firstRow; r <= a.lastRow; ++r) {
                for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                    if (sheet.cells.count(cellKey(r, c))) {
                        keys.push_back(cellKey(r, c));
                    }
                }
            }
        }
        return keys;
    }
    for (const Area& a : areas) {
        std::vector<CellKey> part;
        for (const auto& [key, cell] : sheet.cells) {
            if (a.contains(keyRow(key), keyColumn(key))) {
                part.push_back(key);
            }
        }
        std::sort(part.begin(), part.end());
        keys.insert(keys.end(), part.begin(), part.end());
    }
    return keys;
}

}  // namespace kavex::sheet::detail
