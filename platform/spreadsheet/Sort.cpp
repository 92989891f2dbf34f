// Range.Sort: rows of an area reordered by one key column. Everything attached to a cell moves
// with its row (value, formula, formatting, spans, comment, hyperlinks); a moved formula's
// relative references move with it.

#include <algorithm>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

// Numbers (and dates) first, then text, then logical values, then errors; blanks last in both
// directions.
int category(const Variant& v) {
    switch (v.type()) {
        case base::VarType::Number:
        case base::VarType::Date:
            return 0;
        case base::VarType::Text:
            return 1;
        case base::VarType::Boolean:
            return 2;
        case base::VarType::Error:
            return 3;
        default:
            return 4;
    }
}

double numeric(const Variant& v) {
    return v.isDate() ? v.date().serial : v.number();
}

int compareKeys(const Variant& a, const Variant& b, bool matchCase) {
    const int ca = category(a), cb = category(b);
    if (ca != cb) {
        return ca < cb ? -1 : 1;
    }
    switch (ca) {
        case 0: {
            const double x = numeric(a), y = numeric(b);
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        case 1: {
            const std::string x = matchCase ? a.text() : base::toLowerAscii(a.text());
            const std::string y = matchCase ? b.text() : base::toLowerAscii(b.text());
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        case 2:
            return static_cast<int>(a.boolean()) - static_cast<int>(b.boolean());
        default:
            return 0;
    }
}

struct RowContent {
    int sourceRow = 0;
    Variant key;
    std::vector<std::pair<int, Cell>> cells;  // column, content
    std::vector<std::pair<int, CommentData>> comments;
    std::vector<HyperlinkData> links;
};

}  // namespace

void Range::sort(const Range& key1, int order1, int header, bool matchCase, int orientation) {
    SheetData& sheet = live();
    AppState& app = sheet.app();
    if (orientation != xlTopToBottom) {
        fail(base::errors::ApplicationDefined, "Only top-to-bottom sorting is supported");
    }
    const Area area = areas_.front();
    if (key1.isNothing() || key1.sheetData() != sheet_ || key1.column() < area.firstColumn ||
        key1.column() > area.lastColumn) {
        fail(base::errors::ApplicationDefined,
             "The sort reference is not valid. Make sure that it's within the data you want to "
             "sort, and the first Sort By box isn't the same or blank.");
    }
    if (area.cellCount() > 4'000'000) {
        fail(base::errors::ApplicationDefined, "Too many cells to sort");
    }
    app.checkWritable(sheet, {area});
    const int sortColumn = key1.column();
    auto valueAt = [&](int r) {
        const Cell* c = sheet.find(r, sortColumn);
        return c ? c->value : Variant();
    };
    int firstData = area.firstRow;
    if (header == xlYes) {
        ++firstData;
    } else if (header == xlGuess && area.rowCount() > 1) {
        const Variant top = valueAt(area.firstRow), next = valueAt(area.firstRow + 1);
        if (top.isText() && !next.isText() && !next.isEmpty()) {
            ++firstData;
        }
    }
    if (firstData > area.lastRow) {
        return;
    }
    auto hold = sheet_;
    // Take the rows out.
    std::vector<RowContent> rows;
    for (int r = firstData; r <= area.lastRow; ++r) {
        RowContent row;
        row.sourceRow = r;
        row.key = valueAt(r);
        for (int c = area.firstColumn; c <= area.lastColumn; ++c) {
            const CellKey key = cellKey(r, c);
            if (auto it = sheet.cells.find(key); it != sheet.cells.end()) {
                row.cells.emplace_back(c, it->second);
            }
            if (auto it = sheet.comments.find(key); it != sheet.comments.end()) {
                row.comments.emplace_back(c, it->second);
            }
        }
        rows.push_back(std::move(row));
    }
    const Area sorted{firstData, area.firstColumn, area.lastRow, area.lastColumn};
    for (const HyperlinkData* link : sheet.hyperlinks.within({sorted})) {
        rows[static_cast<std::size_t>(link->row - firstData)].links.push_back(*link);
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const RowContent& a, const RowContent& b) {
        const bool ea = category(a.key) == 4, eb = category(b.key) == 4;
        if (ea || eb) {
            return !ea && eb;
        }
        const int cmp = compareKeys(a.key, b.key, matchCase);
        return order1 == xlDescending ? cmp > 0 : cmp < 0;
    });
    // Clear the area and put the rows back in their new order.
    std::vector<CellKey> keys;
    for (int r = firstData; r <= area.lastRow; ++r) {
        for (int c = area.firstColumn; c <= area.lastColumn; ++c) {
            const CellKey key = cellKey(r, c);
            if (auto it = sheet.cells.find(key); it != sheet.cells.end()) {
                if (it->second.formula) {
                    app.unregisterFormula(sheet, key);
                }
                if (it->second.evaluating) {
                    it->second = Cell{};
                    it->second.evaluating = true;
                } else {
                    sheet.cells.erase(it);
                }
            }
            sheet.comments.erase(key);
            keys.push_back(key);
        }
    }
    sheet.hyperlinks.eraseWithin({sorted});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int target = firstData + static_cast<int>(i);
        RowContent& row = rows[i];
        const int shift = target - row.sourceRow;
        for (auto& [column, content] : row.cells) {
            Cell& cell = sheet.at(target, column);
            const bool busy = cell.evaluating;
            cell = std::move(content);
            cell.evaluating = busy;
            cell.dirty = false;
            if (cell.formula) {
                if (shift != 0) {
                    cell.formula = app.compile(
                        app.renderFormula(*cell.formula, shift + cell.rowShift, cell.columnShift));
                    cell.rowShift = 0;
                    cell.columnShift = 0;
                    sheet.formulaReach.include(cell.formula->parsed, 0, 0);
                }
                app.registerFormula(sheet, cellKey(target, column), cell);
            }
        }
        for (auto& [column, comment] : row.comments) {
            sheet.comments[cellKey(target, column)] = std::move(comment);
        }
        for (auto& link : row.links) {
            link.row = target;
            sheet.hyperlinks.push_back(std::move(link));
        }
    }
    // Moved formulas compute again for their new rows.
    std::vector<GlobalKey> formulas;
    for (CellKey key : keys) {
        if (const Cell* c = sheet.find(keyRow(key), keyColumn(key)); c && c->formula) {
            formulas.push_back(globalKey(sheet.id, key));
        }
    }
    app.markDirty(formulas);
    app.changed(*hold, {Area{firstData, area.firstColumn, area.lastRow, area.lastColumn}}, keys);
}

}  // namespace kavex::sheet
