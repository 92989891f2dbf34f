#include "platform/spreadsheet/Range.h"

#include <algorithm>
#include <map>

#include "platform/base/Conversions.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

constexpr long kNothing = 91;

void checkBounds(const Area& a) {
    if (a.firstRow < 1 || a.firstColumn < 1 || a.lastRow > kMaxRows || a.lastColumn > kMaxColumns ||
        a.firstRow > a.lastRow || a.firstColumn > a.lastColumn) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
}

bool hasContent(const Cell* cell) {
    return cell != nullptr && (cell->formula || !cell->value.isEmpty());
}

std::string constantText(const Variant& value) {
    switch (value.type()) {
        case base::VarType::Boolean:
            return value.boolean() ? "TRUE" : "FALSE";
        case base::VarType::Error:
            return std::string(base::cellErrorText(value.error()));
        case base::VarType::Empty:
        case base::VarType::Null:
        case base::VarType::Missing:
            return "";
        default:
            return base::CStr(value);
    }
}

}  // namespace

Range::Range(std::shared_ptr<detail::SheetData> sheet, std::vector<Area> areas)
    : sheet_(std::move(sheet)), areas_(std::move(areas)) {
    if (areas_.empty()) {
        areas_.push_back(Area{});
    }
}

detail::SheetData& Range::live() const {
    if (!sheet_) {
        fail(kNothing, "Object variable or With block variable not set");
    }
    if (!sheet_->alive) {
        failObjectGone();
    }
    return *sheet_;
}

Worksheet Range::worksheet() const {
    live();
    return Worksheet(sheet_);
}

Application& Range::application() const {
    return *live().app().owner;
}

int Range::row() const {
    live();
    return areas_.front().firstRow;
}

int Range::column() const {
    live();
    return areas_.front().firstColumn;
}

long long Range::count() const {
    live();
    long long n = 0;
    for (const auto& a : areas_) {
        n += a.cellCount();
    }
    return n;
}

int Range::rowCount() const {
    live();
    return areas_.front().rowCount();
}

int Range::columnCount() const {
    live();
    return areas_.front().columnCount();
}

std::string Range::address(bool rowAbsolute, bool columnAbsolute, bool external) const {
    SheetData& sheet = live();
    std::string text;
    for (const auto& a : areas_) {
        if (!text.empty()) {
            text += ",";
        }
        text += areaAddress(a, rowAbsolute, columnAbsolute);
    }
    if (external) {
        const std::string book = sheet.book ? sheet.book->name : "";
        return "[" + book + "]" + sheet.name + "!" + text;
    }
    return text;
}

Range Range::area(int index) const {
    live();
    if (index < 1 || index > areaCount()) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Range(sheet_, {areas_[static_cast<std::size_t>(index - 1)]});
}

Range Range::cells(int row, int column) const {
    live();
    const Area& a = areas_.front();
    Area cell{a.firstRow + row - 1, a.firstColumn + column - 1, a.firstRow + row - 1,
              a.firstColumn + column - 1};
    checkBounds(cell);
    return Range(sheet_, {cell});
}

Range Range::item(long long index) const {
    live();
    const Area& a = areas_.front();
    if (index < 1) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    const long long i = index - 1;
    return cells(static_cast<int>(i / a.columnCount()) + 1,
                 static_cast<int>(i % a.columnCount()) + 1);
}

Range Range::offset(int rows, int columns) const {
    live();
    std::vector<Area> moved;
    for (const auto& a : areas_) {
        Area m{a.firstRow + rows, a.firstColumn + columns, a.lastRow + rows,
               a.lastColumn + columns};
        checkBounds(m);
        moved.push_back(m);
    }
    return Range(sheet_, moved);
}

Range Range::resize(int rows, int columns) const {
    live();
    const Area& a = areas_.front();
    Area r{a.firstRow, a.firstColumn, a.firstRow + (rows > 0 ? rows : a.rowCount()) - 1,
           a.firstColumn + (columns > 0 ? columns : a.columnCount()) - 1};
    checkBounds(r);
    return Range(sheet_, {r});
}

Range Range::entireRow() const {
    live();
    std::vector<Area> rows;
    for (const auto& a : areas_) {
        rows.push_back(Area{a.firstRow, 1, a.lastRow, kMaxColumns});
    }
    return Range(sheet_, rows);
}

Range Range::entireColumn() const {
    live();
    std::vector<Area> columns;
    for (const auto& a : areas_) {
        columns.push_back(Area{1, a.firstColumn, kMaxRows, a.lastColumn});
    }
    return Range(sheet_, columns);
}

Range Range::currentRegion() const {
    SheetData& sheet = live();
    Area region = areas_.front();
    auto anyContent = [&](int r1, int c1, int r2, int c2) {
        r1 = std::max(r1, 1);
        c1 = std::max(c1, 1);
        r2 = std::min(r2, kMaxRows);
        c2 = std::min(c2, kMaxColumns);
        for (int r = r1; r <= r2; ++r) {
            for (int c = c1; c <= c2; ++c) {
                if (hasContent(sheet.find(r, c))) {
                    return true;
                }
            }
        }
        return false;
    };
    // The region grows by every row or column of the ring around it that holds something, until
    // the ring is empty; the order of growing does not change where it ends. Rows are taken as
    // far as they go before a column is looked at, so that a long list costs one pass down its
    // rows rather than a pass down its sides for every row.
    for (bool grew = true; grew;) {
        grew = false;
        while (region.firstRow > 1 && anyContent(region.firstRow - 1, region.firstColumn - 1,
                                                 region.firstRow - 1, region.lastColumn + 1)) {
            --region.firstRow;
            grew = true;
        }
        while (region.lastRow < kMaxRows && anyContent(region.lastRow + 1, region.firstColumn - 1,
                                                       region.lastRow + 1, region.lastColumn + 1)) {
            ++region.lastRow;
            grew = true;
        }
        if (region.firstColumn > 1 && anyContent(region.firstRow - 1, region.firstColumn - 1,
                                                 region.lastRow + 1, region.firstColumn - 1)) {
            --region.firstColumn;
            grew = true;
        }
        if (region.lastColumn < kMaxColumns &&
            anyContent(region.firstRow - 1, region.lastColumn + 1, region.lastRow + 1,
                       region.lastColumn + 1)) {
            ++region.lastColumn;
            grew = true;
        }
    }
    return Range(sheet_, {region});
}

Range Range::specialCells(int type) const {
    SheetData& sheet = live();
    if (type != xlCellTypeFormulas && type != xlCellTypeConstants) {
        fail(base::errors::ApplicationDefined, "Unable to get the SpecialCells property");
    }
    std::vector<Area> within = areas_;
    if (count() == 1) {
        within = Worksheet(sheet_).usedRange().areas();
    }
    // The matching cells as the spreadsheet gives them: runs along a row, and runs of the same
    // columns on consecutive rows joined into one block ($B$1:$C$9, not nine areas).
    std::vector<Area> found;
    std::map<std::pair<int, int>, std::size_t> openBlocks;  // columns -> block ending last row
    std::vector<Area> rowRuns;
    const auto closeRow = [&] {
        for (const Area& run : rowRuns) {
            const auto it = openBlocks.find({run.firstColumn, run.lastColumn});
            if (it != openBlocks.end() && found[it->second].lastRow == run.firstRow - 1) {
                found[it->second].lastRow = run.lastRow;
            } else {
                openBlocks[{run.firstColumn, run.lastColumn}] = found.size();
                found.push_back(run);
            }
        }
        rowRuns.clear();
    };
    for (CellKey key : existingKeys(sheet, within)) {
        const Cell& cell = sheet.cells.at(key);
        const bool match = type == xlCellTypeFormulas ? static_cast<bool>(cell.formula)
                                                      : (!cell.formula && !cell.value.isEmpty());
        if (!match) {
            continue;
        }
        const int r = keyRow(key), c = keyColumn(key);
        if (!rowRuns.empty() && rowRuns.back().firstRow != r) {
            closeRow();
        }
        if (!rowRuns.empty() && rowRuns.back().lastColumn == c - 1) {
            rowRuns.back().lastColumn = c;
        } else {
            rowRuns.push_back(Area{r, c, r, c});
        }
    }
    closeRow();
    if (found.empty()) {
        fail(base::errors::ApplicationDefined, "No cells were found.");
    }
    return Range(sheet_, found);
}

std::vector<Range> Range::eachCell() const {
    live();
    std::vector<Range> cells;
    for (const auto& a : areas_) {
        if (a.cellCount() > 4'000'000) {
            fail(base::errors::ApplicationDefined, "Too many cells to go through one by one");
        }
    }
    cells.reserve(static_cast<std::size_t>(count()));
    for (const auto& a : areas_) {
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                cells.emplace_back(sheet_, std::vector<Area>{Area{r, c, r, c}});
            }
        }
    }
    return cells;
}

std::vector<Range> Range::eachRow() const {
    live();
    std::vector<Range> rows;
    const Area& a = areas_.front();
    rows.reserve(static_cast<std::size_t>(a.rowCount()));
    for (int r = a.firstRow; r <= a.lastRow; ++r) {
        rows.emplace_back(sheet_, std::vector<Area>{Area{r, a.firstColumn, r, a.lastColumn}});
    }
    return rows;
}

std::vector<Range> Range::eachColumn() const {
    live();
    std::vector<Range> columns;
    const Area& a = areas_.front();
    for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
        columns.emplace_back(sheet_, std::vector<Area>{Area{a.firstRow, c, a.lastRow, c}});
    }
    return columns;
}

// ---- Content -----------------------------------------------------------------------------------

Variant Range::value() const {
    SheetData& sheet = live();
    const Cell* cell = sheet.find(areas_.front().firstRow, areas_.front().firstColumn);
    return cell ? cell->value : Variant();
}

void Range::setValue(const Variant& value) {
    SheetData& sheet = live();
    AppState& app = sheet.app();
    app.checkWritable(sheet, areas_);
    // A formula is parsed before anything is written, so a bad one changes nothing.
    std::shared_ptr<const CompiledFormula> compiled;
    if (value.isText()) {
        Entry entry = readEntry(value.text());
        if (entry.isFormula) {
            compiled = app.compile(entry.formulaText);
        }
    }
    auto hold = sheet_;
    const auto areas = areas_;
    std::vector<CellKey> keys;
    const int top = areas.front().firstRow, left = areas.front().firstColumn;
    for (const Area& a : areas) {
        if (a.cellCount() > 4'000'000) {
            fail(base::errors::ApplicationDefined, "Too many cells to fill");
        }
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                if (!hold->alive) {
                    failObjectGone();
                }
                if (compiled && (r != top || c != left)) {
                    // The same formula in every cell, its relative references moved along: one
                    // parsed form for all where it can be shared.
                    if (AppState::canShare(*compiled, r - top, c - left)) {
                        app.storeFormula(*hold, r, c, compiled, r - top, c - left);
                    } else {
                        app.storeFormula(
                            *hold, r, c,
                            app.compile(app.renderFormula(*compiled, r - top, c - left)));
                    }
                } else {
                    app.storeEntry(*hold, r, c, value, compiled);
                }
                keys.push_back(cellKey(r, c));
            }
        }
    }
    app.changed(*hold, areas, keys);
}

std::string Range::formula() const {
    SheetData& sheet = live();
    const Cell* cell = sheet.find(areas_.front().firstRow, areas_.front().firstColumn);
    if (cell == nullptr) {
        return "";
    }
    if (cell->formula) {
        return "=" + sheet.app().formulaText(*cell);
    }
    return constantText(cell->value);
}

void Range::setFormula(std::string_view text) {
    setValue(Variant(std::string(text)));
}

bool Range::hasFormula() const {
    SheetData& sheet = live();
    for (const auto& a : areas_) {
        if (a.cellCount() > static_cast<long long>(sheet.cells.size())) {
            return false;
        }
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                const Cell* cell = sheet.find(r, c);
                if (cell == nullptr || !cell->formula) {
                    return false;
                }
            }
        }
    }
    return true;
}

std::string Range::text() const {
    SheetData& sheet = live();
    const Cell* cell = sheet.find(areas_.front().firstRow, areas_.front().firstColumn);
    if (cell == nullptr) {
        return "";
    }
    return displayText(cell->value, cell->look().numberFormat);
}

void Range::clearContents() {
    SheetData& sheet = live();
    AppState& app = sheet.app();
    app.checkWritable(sheet, areas_);
    auto hold = sheet_;
    const auto areas = areas_;
    const auto keys = existingKeys(sheet, areas);
    for (CellKey key : keys) {
        app.clearCell(*hold, keyRow(key), keyColumn(key));
    }
    app.changed(*hold, areas, keys);
}

void Range::calculate() {
    SheetData& sheet = live();
    sheet.app().calculateCells(sheet, areas_);
}

// ---- Look --------------------------------------------------------------------------------------

Variant Range::numberFormat() const {
    SheetData& sheet = live();
    return uniform(sheet, areas_, [](const Cell* c) {
        return Variant((c ? c->look() : defaultStyle()).numberFormat);
    });
}

void Range::setNumberFormat(const std::string& format) {
    SheetData& sheet = live();
    sheet.app().checkFormattable(sheet);
    editStyles(sheet, areas_, [&](Style& s) { s.numberFormat = format; });
}

Variant Range::wrapText() const {
    SheetData& sheet = live();
    return uniform(sheet, areas_, [](const Cell* c) {
        return Variant((c ? c->look() : defaultStyle()).wrapText);
    });
}

void Range::setWrapText(bool wrap) {
    SheetData& sheet = live();
    sheet.app().checkFormattable(sheet);
    editStyles(sheet, areas_, [&](Style& s) { s.wrapText = wrap; });
}

Variant Range::locked() const {
    SheetData& sheet = live();
    return uniform(sheet, areas_,
                   [](const Cell* c) { return Variant((c ? c->look() : defaultStyle()).locked); });
}

void Range::setLocked(bool isLocked) {
    SheetData& sheet = live();
    sheet.app().checkFormattable(sheet);
    editStyles(sheet, areas_, [&](Style& s) { s.locked = isLocked; });
}

Variant Range::hidden() const {
    SheetData& sheet = live();
    const Area& a = areas_.front();
    bool any = false, all = true;
    for (int r = a.firstRow; r <= a.lastRow; ++r) {
        const bool h = sheet.hiddenRows.count(r) > 0;
        any = any || h;
        all = all && h;
        if (any && !all) {
            return Variant::null();
        }
    }
    return Variant(all);
}

void Range::setHidden(bool isHidden) {
    SheetData& sheet = live();
    sheet.app().checkFormattable(sheet);
    for (const auto& a : areas_) {
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            if (isHidden) {
                sheet.hiddenRows.insert(r);
            } else {
                sheet.hiddenRows.erase(r);
            }
        }
    }
    sheet.app().touch(sheet);
}

Font Range::font() const {
    live();
    return Font(*this, Font::Target::Cells);
}

Interior Range::interior() const {
    live();
    return Interior(*this);
}

Borders Range::borders() const {
    live();
    return Borders(*this);
}

FormatConditions Range::formatConditions() const {
    live();
    return FormatConditions(*this);
}

Characters Range::characters(int start, int length) const {
    live();
    return Characters(cells(1, 1), false, start, length);
}

// ---- Notes and links ---------------------------------------------------------------------------

Comment Range::comment() const {
    SheetData& sheet = live();
    const Area& a = areas_.front();
    if (sheet.comments.count(cellKey(a.firstRow, a.firstColumn)) == 0) {
        return Comment();
    }
    return Comment(cells(1, 1));
}

Comment Range::addComment(const std::string& text) {
    SheetData& sheet = live();
    sheet.app().checkFormattable(sheet);
    const Area& a = areas_.front();
    const CellKey key = cellKey(a.firstRow, a.firstColumn);
    if (sheet.comments.count(key) > 0) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    sheet.comments[key] = CommentData{text, false, {}};
    sheet.app().touch(sheet);
    return Comment(cells(1, 1));
}

void Range::clearComments() {
    SheetData& sheet = live();
    sheet.app().checkFormattable(sheet);
    for (auto it = sheet.comments.begin(); it != sheet.comments.end();) {
        const bool inside = std::any_of(areas_.begin(), areas_.end(), [&](const Area& a) {
            return a.contains(keyRow(it->first), keyColumn(it->first));
        });
        it = inside ? sheet.comments.erase(it) : std::next(it);
    }
    sheet.app().touch(sheet);
}

Hyperlinks Range::hyperlinks() const {
    live();
    if (areas_.size() == 1 && areas_.front().cellCount() == 1) {
        return Hyperlinks(sheet_, areas_.front());
    }
    return Hyperlinks(sheet_, *this);
}

// ---- Actions -----------------------------------------------------------------------------------

void Range::select() {
    SheetData& sheet = live();
    sheet.app().selectRange(sheet, areas_, true);
}

void Range::activate() {
    SheetData& sheet = live();
    const Area& a = areas_.front();
    const bool inside =
        std::any_of(sheet.selection.begin(), sheet.selection.end(),
                    [&](const Area& s) { return s.contains(a.firstRow, a.firstColumn); });
    if (count() == 1 && inside) {
        AppState& app = sheet.app();
        if (sheet.book == nullptr || app.activeBook != sheet.book ||
            sheet.book->activeSheet != &sheet) {
            fail(base::errors::ApplicationDefined, "Activate method of Range class failed");
        }
        sheet.activeRow = a.firstRow;
        sheet.activeColumn = a.firstColumn;
        return;
    }
    sheet.app().selectRange(sheet, {Area{a.firstRow, a.firstColumn, a.firstRow, a.firstColumn}},
                            true);
}

}  // namespace kavex::sheet
