// Deleting and inserting whole rows or columns (EntireRow.Delete, EntireRow.Insert). Everything
// a line holds moves with it: values, formulas, formats, spans, comments, hyperlinks, hidden rows
// and the areas of conditional formats. Every reference to the edited sheet, in the formulas of
// the whole workbook, in its defined names and in conditional formats, follows the cells it
// pointed at; a reference to a deleted cell becomes #REF!. Every formula that reads the edited
// lines or lines past them, itself or through a defined name, is computed again, and so is
// everything that reads it.

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

// A run of whole lines of one kind: rows first..last, or columns first..last.
struct Lines {
    bool columns = false;
    int first = 1;
    int last = 1;
};

// The whole rows or whole columns the areas cover, the last first (so that editing one run leaves
// the positions of the runs before it alone), overlapping and touching runs joined. nullopt when
// an area is not whole rows or columns, or when the areas mix the two.
std::optional<std::vector<Lines>> wholeLines(const std::vector<Area>& areas) {
    std::vector<Lines> runs;
    for (const Area& a : areas) {
        const bool rows = a.firstColumn == 1 && a.lastColumn == kMaxColumns;
        const bool columns = a.firstRow == 1 && a.lastRow == kMaxRows;
        if (rows) {
            runs.push_back(Lines{false, a.firstRow, a.lastRow});
        } else if (columns) {
            runs.push_back(Lines{true, a.firstColumn, a.lastColumn});
        } else {
            return std::nullopt;
        }
    }
    if (runs.empty() || std::any_of(runs.begin(), runs.end(), [&](const Lines& l) {
            return l.columns != runs.front().columns;
        })) {
        return std::nullopt;
    }
    std::sort(runs.begin(), runs.end(),
              [](const Lines& a, const Lines& b) { return a.first > b.first; });
    std::vector<Lines> joined;
    for (const Lines& run : runs) {
        if (!joined.empty() && run.last >= joined.back().first - 1) {
            joined.back().first = std::min(joined.back().first, run.first);
        } else {
            joined.push_back(run);
        }
    }
    return joined;
}

int lineOf(bool columns, int row, int column) {
    return columns ? column : row;
}

// Where a line goes; nullopt when it is deleted or pushed off the sheet.
std::optional<int> movedLine(int line, const formula::LineEdit& edit) {
    int first = line, last = line;
    if (!formula::shiftLines(first, last, edit)) {
        return std::nullopt;
    }
    return first;
}

CellKey movedKey(CellKey key, int newLine, bool columns) {
    return columns ? cellKey(keyRow(key), newLine) : cellKey(newLine, keyColumn(key));
}

Area linesArea(bool columns, int first, int last) {
    return columns ? Area{1, first, kMaxRows, last} : Area{first, 1, last, kMaxColumns};
}

// The edit as formulas on `from` see it: a reference without a sheet is to from itself.
formula::LineEdit editSeenFrom(const formula::LineEdit& edit, const SheetData& edited,
                               const SheetData* from) {
    formula::LineEdit seen = edit;
    seen.onSheet = [&edited, from](const std::string& sheet) {
        return sheet.empty() ? from == &edited : base::equalsIgnoringCase(sheet, edited.name);
    };
    return seen;
}

// Whether a reference of the formula text (after "=") reaches the edited lines or lines past
// them: what it reads then moves, goes or shifts. A reference that names no sheet is taken to
// reach the edited sheet.
bool reachesEdit(std::string_view text, const formula::LineEdit& seen) {
    try {
        const formula::Formula parsed = formula::parse(text);
        return std::any_of(parsed.references().begin(), parsed.references().end(),
                           [&](const formula::AreaRef& ref) {
                               const int last = seen.columns ? ref.lastColumn : ref.lastRow;
                               return last >= seen.at &&
                                      (ref.sheet.empty() || seen.onSheet(ref.sheet));
                           });
    } catch (const formula::ParseError&) {
        return false;
    }
}

// A name as a formula mentions it, lower-cased and without its sheet.
std::string bareName(std::string_view name) {
    const auto bang = name.rfind('!');
    return base::toLowerAscii(bang == std::string_view::npos ? name : name.substr(bang + 1));
}

// A formula text (after "=") as it reads after the edit; nullopt when it does not change or
// does not parse.
std::optional<std::string> editedFormula(const AppState& app, std::string_view text,
                                         const formula::LineEdit& edit) {
    try {
        const formula::Formula parsed = formula::parse(text);
        const auto canonical = [&app](std::string_view n) { return app.canonicalFunctionName(n); };
        std::string after = formula::render(parsed, canonical, edit);
        if (after == formula::render(parsed, canonical)) {
            return std::nullopt;
        }
        return after;
    } catch (const formula::ParseError&) {
        return std::nullopt;
    }
}

class LineEditor {
  public:
    LineEditor(AppState& app, SheetData& sheet, formula::LineEdit edit)
        : app_(app), sheet_(sheet), edit_(std::move(edit)) {}

    // Moves the sheet's contents; adds to recompute the formula cells of the workbook that must
    // be computed again: those that read the edited lines or lines past them, themselves or
    // through a defined name (the cells already there move with the edit). What the formulas
    // depend on is kept up to date for the cells the edit moves or rewrites, so that an edit near
    // the end of a long sheet does not make the next calculation work out every dependency again.
    void apply(std::vector<GlobalKey>& recompute) {
        moveCells();
        moveComments();
        moveLinks();
        moveHiddenRows();
        moveConditions();
        moveKeys(app_.dirty);
        moveKeys(recompute);
        const bool namesChanged = editNames();
        editFormulas(recompute);
        if (namesChanged) {
            // A name's new area moves what every formula reading it depends on.
            app_.dependenciesStale = true;
        }
        registerAgain();
    }

  private:
    std::optional<int> moved(int row, int column) const {
        return movedLine(lineOf(edit_.columns, row, column), edit_);
    }

    // The first row whose cells or links a row edit may move or read (the row before an
    // insertion gives the inserted rows its format); a column edit reaches every row.
    int firstRowReached() const { return edit_.columns ? 1 : std::max(edit_.at - 1, 1); }

    // Moves the cells on the edited lines and past them in place; those before the edit stay
    // where they are, untouched (rows before a row edit are not even visited).
    void moveCells() {
        std::vector<CellKey> keys;  // of the cells on the lines the edit reaches, in key order
        std::vector<std::pair<CellKey, std::shared_ptr<const Style>>> formats;
        for (auto it = sheet_.cells.fromRow(firstRowReached()); it != sheet_.cells.end(); ++it) {
            const auto& [key, cell] = *it;
            const int line = lineOf(edit_.columns, keyRow(key), keyColumn(key));
            if (line >= edit_.at) {
                keys.push_back(key);
            } else if (line == edit_.at - 1 && edit_.count > 0 && cell.style) {
                formats.emplace_back(key, cell.style);
            }
        }
        // A line moves only onto lines already emptied: deleting, the cells nearest the edit go
        // first; inserting, the farthest.
        if (edit_.count > 0) {
            std::reverse(keys.begin(), keys.end());
        }
        for (CellKey key : keys) {
            Cell& cell = sheet_.cells.at(key);
            if (cell.formula) {
                unregister(sheet_, key);
            }
            const auto line = moved(keyRow(key), keyColumn(key));
            if (!line) {
                sheet_.cells.erase(key);
                continue;
            }
            const CellKey to = movedKey(key, *line, edit_.columns);
            Cell content = std::move(cell);
            sheet_.cells.erase(key);
            Cell& target = sheet_.cells[to];
            target = std::move(content);
            if (target.formula) {
                noteRegistration(sheet_, to);
            }
        }
        // Inserted lines take the format of the line before them, as the spreadsheet's insertion
        // does by default; they hold nothing else.
        for (const auto& [key, style] : formats) {
            for (int line = edit_.at; line < edit_.at + edit_.count; ++line) {
                sheet_.cells[movedKey(key, line, edit_.columns)].style = style;
            }
        }
    }

    void moveComments() {
        auto& comments = sheet_.comments;
        const auto first = comments.lower_bound(cellKey(firstRowReached(), 0));
        std::map<CellKey, CommentData> reached;
        reached.insert(std::make_move_iterator(first), std::make_move_iterator(comments.end()));
        comments.erase(first, comments.end());
        for (auto& [key, comment] : reached) {
            if (auto line = moved(keyRow(key), keyColumn(key))) {
                comments[movedKey(key, *line, edit_.columns)] = std::move(comment);
            }
        }
    }

    void moveLinks() {
        sheet_.hyperlinks.relocate(
            firstRowReached(), [&](int row, int column) -> std::optional<std::pair<int, int>> {
                const auto line = moved(row, column);
                if (!line) {
                    return std::nullopt;
                }
                return edit_.columns ? std::pair{row, *line} : std::pair{*line, column};
            });
    }

    void moveHiddenRows() {
        if (edit_.columns) {
            return;
        }
        std::set<int>& hidden = sheet_.hiddenRows;
        const auto first = hidden.lower_bound(edit_.at);
        const std::vector<int> reached(first, hidden.end());
        hidden.erase(first, hidden.end());
        for (int row : reached) {
            if (auto line = movedLine(row, edit_)) {
                hidden.insert(*line);
            }
        }
    }

    void moveConditions() {
        const formula::LineEdit seen = editSeenFrom(edit_, sheet_, &sheet_);
        for (ConditionData& condition : sheet_.conditions) {
            std::vector<Area> areas;
            for (Area a : condition.areas) {
                int& first = edit_.columns ? a.firstColumn : a.firstRow;
                int& last = edit_.columns ? a.lastColumn : a.lastRow;
                if (formula::shiftLines(first, last, edit_)) {
                    areas.push_back(a);
                }
            }
            condition.areas = std::move(areas);
            for (std::string* text : {&condition.formula1, &condition.formula2}) {
                if (text->size() > 1 && text->front() == '=') {
                    if (auto after = editedFormula(app_, std::string_view(*text).substr(1), seen)) {
                        *text = "=" + *after;
                    }
                }
            }
        }
        std::erase_if(sheet_.conditions, [](const ConditionData& c) { return c.areas.empty(); });
    }

    // Cells waiting for the next calculation, or to be computed again once the edit is done,
    // keep waiting at their new places; those deleted wait no more.
    void moveKeys(std::vector<GlobalKey>& keys) const {
        std::vector<GlobalKey> kept;
        for (GlobalKey key : keys) {
            if (globalSheet(key) != sheet_.id) {
                kept.push_back(key);
                continue;
            }
            const CellKey cell = globalCell(key);
            if (auto line = moved(keyRow(cell), keyColumn(cell))) {
                kept.push_back(globalKey(sheet_.id, movedKey(cell, *line, edit_.columns)));
            }
        }
        keys = std::move(kept);
    }

    // Rewrites the names' references; true when a name's text changed. Notes the names whose
    // cells the edit moves, removes or shifts (affectedNames_).
    bool editNames() {
        bool changed = false;
        for (NameData& name : sheet_.book->names) {
            if (name.refersTo.empty() || name.refersTo.front() != '=') {
                continue;
            }
            const SheetData* scope =
                name.scopeSheet != 0 ? app_.sheetById(name.scopeSheet) : nullptr;
            const formula::LineEdit seen = editSeenFrom(edit_, sheet_, scope);
            const std::string_view text = std::string_view(name.refersTo).substr(1);
            if (reachesEdit(text, seen)) {
                affectedNames_.insert(bareName(name.name));
            }
            if (auto after = editedFormula(app_, text, seen)) {
                name.refersTo = "=" + *after;
                changed = true;
            }
        }
        return changed;
    }

    bool readsAffectedName(const Cell& cell) const {
        const auto& names = cell.formula->parsed.names();
        return std::any_of(names.begin(), names.end(), [this](const std::string& name) {
            return affectedNames_.count(bareName(name)) > 0;
        });
    }

    void editFormulas(std::vector<GlobalKey>& recompute) {
        const auto canonical = [this](std::string_view n) { return app_.canonicalFunctionName(n); };
        for (const auto& other : sheet_.book->sheets) {
            const FormulaReach& before = other->formulaReach;
            if (!before.mayReach(edit_.columns, edit_.at, other.get() == &sheet_) &&
                (affectedNames_.empty() || !before.mayReadNames())) {
                // None of its formulas reads the edited lines or lines past them, itself or
                // through a name.
                continue;
            }
            // Found out again through the walk, as the formulas read once edited; unknown should
            // the walk stop half way.
            other->formulaReach = FormulaReach{};
            FormulaReach reach;
            reach.known = true;
            const formula::LineEdit seen = editSeenFrom(edit_, sheet_, other.get());
            for (auto& [key, cell] : other->cells) {
                if (!cell.formula) {
                    continue;
                }
                // What the formula reads moves, goes or shifts: it is computed again, whether
                // or not its text changes (a whole column keeps its text as its rows move).
                const bool follows = followsEdit(cell, seen);
                if (follows) {
                    // The edit rewrites references as written: a shared form becomes the cell's
                    // own.
                    app_.unshare(cell);
                    const formula::Formula& parsed = cell.formula->parsed;
                    const std::string after = formula::render(parsed, canonical, seen);
                    if (after != formula::render(parsed, canonical)) {
                        unregister(*other, key);
                        cell.formula = app_.compile(after);
                        noteRegistration(*other, key);
                    }
                }
                if (follows || (!affectedNames_.empty() && readsAffectedName(cell))) {
                    recompute.push_back(globalKey(other->id, key));
                }
                reach.include(cell.formula->parsed, cell.rowShift, cell.columnShift);
            }
            other->formulaReach = reach;
        }
    }

    // Whether a reference of the cell's formula reaches the edited lines or lines past them, so
    // that its text may change; a formula whose references all lie before the edit (or on other
    // sheets) reads as it did.
    static bool followsEdit(const Cell& cell, const formula::LineEdit& seen) {
        for (const formula::AreaRef& ref : cell.formula->parsed.references()) {
            const int last =
                seen.columns ? ref.lastColumn + cell.columnShift : ref.lastRow + cell.rowShift;
            if (last >= seen.at && seen.onSheet(ref.sheet)) {
                return true;
            }
        }
        return false;
    }

    // A formula cell the edit moves, rewrites or deletes no longer depends on what it did. Past
    // a few hundred such cells, working out every dependency again at the next calculation costs
    // less than taking them out one by one.
    void unregister(SheetData& sheet, CellKey key) {
        if (++unregistered_ > kUnregisteredAtMost) {
            app_.dependenciesStale = true;
        }
        app_.unregisterFormula(sheet, key);
    }

    // A formula cell the edit moved or rewrote: it is registered again once every cell stands
    // where the edit puts it.
    void noteRegistration(SheetData& sheet, CellKey key) {
        if (!app_.dependenciesStale) {
            toRegister_.emplace_back(&sheet, key);
        }
    }

    void registerAgain() {
        std::sort(toRegister_.begin(), toRegister_.end());
        toRegister_.erase(std::unique(toRegister_.begin(), toRegister_.end()), toRegister_.end());
        for (const auto& [sheet, key] : toRegister_) {
            if (app_.dependenciesStale) {
                return;
            }
            if (const Cell* cell = sheet->cells.get(key); cell != nullptr && cell->formula) {
                app_.registerFormula(*sheet, key, *cell);
            }
        }
    }

    AppState& app_;
    SheetData& sheet_;
    formula::LineEdit edit_;
    static constexpr std::size_t kUnregisteredAtMost = 256;
    std::size_t unregistered_ = 0;
    std::vector<std::pair<SheetData*, CellKey>> toRegister_;
    std::unordered_set<std::string> affectedNames_;  // bare, lower-cased (see bareName)
};

// The whole lines of the areas, last first, once the edit is known to be one the spreadsheet
// allows: whole rows or whole columns, a sheet that is not protected, no calculation under way.
std::vector<Lines> editableLines(AppState& app, SheetData& sheet, const std::vector<Area>& areas,
                                 const char* method, const char* verb) {
    auto runs = wholeLines(areas);
    if (!runs) {
        fail(base::errors::ApplicationDefined,
             std::string(method) +
                 " method of Range class failed: it needs whole rows or whole columns to " + verb);
    }
    if (app.calcDepth > 0) {
        fail(base::errors::ApplicationDefined, std::string("Cannot ") + verb +
                                                   " rows or columns while the workbook is being "
                                                   "calculated");
    }
    app.checkFormattable(sheet);
    return std::move(*runs);
}

// Inserts (count > 0) or deletes (count < 0) lines at the run's first line; adds the formula
// cells to compute again.
void editLines(AppState& app, SheetData& sheet, const Lines& run, int count,
               std::vector<GlobalKey>& recompute) {
    const formula::LineEdit edit{run.columns, run.first, count, {}};
    LineEditor(app, sheet, edit).apply(recompute);
}

}  // namespace

void Range::delete_() {
    SheetData& sheet = live();
    AppState& app = sheet.app();
    const std::vector<Lines> runs = editableLines(app, sheet, areas_, "Delete", "delete");
    auto hold = sheet_;
    std::vector<GlobalKey> recompute;
    for (const Lines& run : runs) {
        editLines(app, sheet, run, -(run.last - run.first + 1), recompute);
    }
    app.inputsMoved(recompute);
    app.changed(*hold, areas_, {});
}

void Range::insert() {
    SheetData& sheet = live();
    AppState& app = sheet.app();
    const std::vector<Lines> runs = editableLines(app, sheet, areas_, "Insert", "insert");
    // Nothing that holds a value may be pushed off the end of the sheet.
    int inserted = 0;
    for (const Lines& run : runs) {
        inserted += run.last - run.first + 1;
    }
    const bool columns = runs.front().columns;
    const int limit = columns ? kMaxColumns : kMaxRows;
    // Row insertions look at the last rows alone.
    for (auto it = sheet.cells.fromRow(columns ? 1 : limit - inserted + 1); it != sheet.cells.end();
         ++it) {
        const auto& [key, cell] = *it;
        if ((cell.formula || !cell.value.isEmpty()) &&
            lineOf(columns, keyRow(key), keyColumn(key)) > limit - inserted) {
            fail(base::errors::ApplicationDefined,
                 "To prevent possible loss of data, cells that are not blank cannot be shifted "
                 "off the end of the worksheet");
        }
    }
    auto hold = sheet_;
    std::vector<GlobalKey> recompute;
    for (const Lines& run : runs) {
        editLines(app, sheet, run, run.last - run.first + 1, recompute);
    }
    // The new lines stand where the given ones stood, each run moved on by the runs above it.
    std::vector<Area> target;
    int before = 0;
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        target.push_back(linesArea(columns, it->first + before, it->last + before));
        before += it->last - it->first + 1;
    }
    app.inputsMoved(recompute);
    app.changed(*hold, target, {});
}

}  // namespace kavex::sheet
