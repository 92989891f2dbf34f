// Computing one formula cell. Evaluation may re-enter the host (a worksheet function can write
// cells, switch the calculation mode or recalculate): nothing here holds an iterator or a
// reference across an evaluation except the cell being evaluated, which is never erased while
// its evaluating flag is set.

#include <utility>

#include "platform/base/Text.h"
#include "platform/spreadsheet/detail/Model.h"
#include "platform/spreadsheet/formula/ArgumentList.h"

namespace kavex::sheet::detail {

namespace {

const Variant kEmpty;
const Variant kNoSheet(base::CellError::Ref);  // a sheet named in a formula that does not exist

// How a formula being evaluated reads cells: each cell's value, brought up to date first when it
// waits for recalculation (and this evaluation may recurse). A value read stays valid until the
// host runs again.
class CellReader {
  public:
    CellReader(AppState& app, SheetData& sheet, bool recurse)
        : app_(app), sheet_(sheet), recurse_(recurse) {}

    AppState& app() const { return app_; }
    SheetData& sheet() const { return sheet_; }

    const Variant& current(const std::string& sheetName, int row, int column) {
        SheetData* target = &sheet_;
        if (!sheetName.empty()) {
            target = sheet_.book ? sheet_.book->sheetNamed(sheetName) : nullptr;
            if (target == nullptr) {
                return kNoSheet;
            }
        }
        const CellKey key = cellKey(row, column);
        const Cell* cell = target->cells.get(key);
        if (cell == nullptr) {
            return kEmpty;
        }
        if (cell->evaluating) {
            return app_.readEvaluating(*cell);
        }
        if (cell->dirty && recurse_ && cell->formula && app_.calcDepth < 256) {
            auto keep = target->shared_from_this();
            app_.evaluateCell(*target, key, true);
            cell = target->cells.get(key);
            if (cell == nullptr) {
                return kEmpty;
            }
        }
        return cell->value;
    }

  private:
    AppState& app_;
    SheetData& sheet_;
    bool recurse_;
};

// The registered function of the formula's functionNames() entry, or nullptr; the formula's
// functions are resolved again after the registrations changed.
const WorksheetFunction* resolvedFunction(const AppState& app, const CompiledFormula& compiled,
                                          std::size_t entry) {
    if (compiled.slotsVersion != app.functionsVersion) {
        const auto& names = compiled.parsed.functionNames();
        compiled.clearFunctions(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            compiled.function(i) = app.registeredFunction(names[i]);
        }
        compiled.slotsVersion = app.functionsVersion;
    }
    return compiled.function(entry);
}

// Calls a host function, counted while it runs: what it evaluates reads the cells waiting on it
// as pending values, not as cycles (see AppState::readEvaluating). Slots are never removed or
// replaced, so the callable outlives any re-registration made while it runs. A function that
// fails gives #VALUE!.
Variant invoke(AppState& app, const WorksheetFunction& function,
               const std::vector<formula::Argument>& arguments) {
    struct Running {
        int& calls;
        explicit Running(int& c) : calls(++c) {}
        ~Running() { --calls; }
    } running(app.hostCalls);
    try {
        return function(arguments);
    } catch (...) {
        return Variant(base::CellError::Value);
    }
}

// The value of a formula that is a plain host call (see Formula::plainHostCall), the very value
// evaluate() gives, without walking the tree: the arguments are read in order, then the function
// is called. A shared form's references are all relative: they move with the cell by (dr, dc).
Variant evaluatePlainCall(CellReader& reader, const CompiledFormula& compiled, int dr, int dc) {
    formula::ArgumentList list(compiled.plainCount);
    std::vector<formula::Argument>& arguments = list.arguments();
    const formula::AreaRef* area = compiled.plainArguments;
    for (formula::Argument& argument : arguments) {
        formula::AreaRef moved = *area++;
        moved.firstRow += dr;
        moved.lastRow += dr;
        moved.firstColumn += dc;
        moved.lastColumn += dc;
        argument.value = reader.current(moved.sheet, moved.firstRow, moved.firstColumn);
        argument.reference = std::move(moved);
    }
    const WorksheetFunction* function =
        resolvedFunction(reader.app(), compiled, compiled.plainEntry);
    if (function == nullptr) {
        return Variant(base::CellError::Name);
    }
    return invoke(reader.app(), *function, arguments);
}

// What a formula sees of the workbook around it while one cell is evaluated by walking its tree.
class CellContext final : public formula::EvaluationContext {
  public:
    CellContext(CellReader& reader, const CompiledFormula& compiled)
        : reader_(reader), app_(reader.app()), sheet_(reader.sheet()), compiled_(compiled) {}

    Variant cellValue(const std::string& sheetName, int row, int column) override {
        return reader_.current(sheetName, row, column);
    }

    void readCellValue(const std::string& sheetName, int row, int column, Variant& value) override {
        value = reader_.current(sheetName, row, column);
    }

    std::optional<formula::AreaRef> resolveName(const std::string& name) override {
        return app_.resolveName(sheet_, name);
    }

    bool isDefinedName(const std::string& name) override {
        return visibleName(sheet_, name) != nullptr;
    }

    void forEachOccupiedCell(const formula::AreaRef& area,
                             const std::function<bool(int, int)>& visit) override {
        SheetData* target = area.sheet.empty() ? &sheet_
                            : sheet_.book      ? sheet_.book->sheetNamed(area.sheet)
                                               : nullptr;
        if (target == nullptr) {
            visit(area.firstRow, area.firstColumn);  // the missing sheet's #REF!, once
            return;
        }
        // The keys are taken first: reading a cell may recalculate it, and the sheet with it.
        const auto keys = existingKeys(
            *target, {Area{area.firstRow, area.firstColumn, area.lastRow, area.lastColumn}});
        for (const CellKey key : keys) {
            if (!visit(keyRow(key), keyColumn(key))) {
                return;
            }
        }
    }

    std::optional<Variant> callFunction(const std::string& name,
                                        const std::vector<formula::Argument>& arguments) override {
        const auto& names = compiled_.parsed.functionNames();
        const WorksheetFunction* function = nullptr;
        bool found = false;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (&names[i] == &name || base::equalsIgnoringCase(names[i], name)) {
                function = resolvedFunction(app_, compiled_, i);
                found = true;
                break;
            }
        }
        if (!found) {
            function = app_.registeredFunction(name);
        }
        if (function == nullptr) {
            return std::nullopt;
        }
        return invoke(app_, *function, arguments);
    }

  private:
    CellReader& reader_;
    AppState& app_;
    SheetData& sheet_;
    const CompiledFormula& compiled_;
};

// Marks a cell as being evaluated for as long as it lives: a nested pass then neither evaluates
// nor erases it, and a formula that reads it reads a cycle or a pending value (readEvaluating).
class Evaluating {
  public:
    Evaluating(AppState& app, Cell& cell)
        : app_(app), cell_(cell), record_{&cell, app.hostCalls, false, app.innermost} {
        cell.evaluating = true;
        cell.dirty = false;
        ++app.calcDepth;
        app.innermost = &record_;
    }
    ~Evaluating() {
        app_.innermost = record_.outer;
        --app_.calcDepth;
        cell_.evaluating = false;
    }
    Evaluating(const Evaluating&) = delete;
    Evaluating& operator=(const Evaluating&) = delete;

    bool circular() const { return record_.circular; }

  private:
    AppState& app_;
    Cell& cell_;
    AppState::Evaluation record_;
};

// The value of the cell's formula, computed once.
Variant evaluateOnce(AppState& app, SheetData& sheet, Cell& cell, const CompiledFormula& compiled,
                     bool recurse) {
    Evaluating evaluating(app, cell);
    CellReader reader(app, sheet, recurse);
    Variant result;
    if (compiled.plainEntry != CompiledFormula::kNotPlain) {
        result = evaluatePlainCall(reader, compiled, cell.rowShift, cell.columnShift);
    } else {
        CellContext context(reader, compiled);
        result = formula::evaluate(compiled.parsed, context, cell.rowShift, cell.columnShift);
    }
    if (evaluating.circular()) {
        result = Variant(0.0);
    }
    return result;
}

// Keeps a result as the cell's value (a cell of sheet); true when the value changed.
bool store(SheetData& sheet, Cell& cell, Variant&& result) {
    const bool changed = !(cell.value == result);
    if (changed) {
        sheet.valueRecalculated();  // what was read of the sheet may no longer stand
    }
    // An equal text, logical or error value is the very same value: the old one is kept.
    // Numbers (and dates) are stored anyway, so that 0 and -0 stay apart.
    if (changed || result.isNumber() || result.isDate()) {
        cell.value = std::move(result);
    }
    return changed;
}

}  // namespace

void AppState::evaluateCell(SheetData& sheet, CellKey key, bool recurse) {
    if (Cell* cell = sheet.cells.get(key)) {
        evaluateCell(sheet, *cell, recurse);
    }
}

bool AppState::evaluateCell(SheetData& sheet, Cell& cell, bool recurse) {
    const CompiledFormula* compiled = cell.formula.get();
    if (compiled == nullptr || cell.evaluating) {
        return false;
    }
    Variant result = evaluateOnce(*this, sheet, cell, *compiled, recurse);
    bool changed = true;
    if (cell.formula.get() == compiled) {
        changed = store(sheet, cell, std::move(result));
    } else {
        // The cell's function put a new formula into its own cell while it ran: that one is
        // computed next, a few times at most (a function that always rewrites its cell must not
        // spin for ever).
        for (int attempt = 1; attempt < 4 && cell.formula && cell.dirty; ++attempt) {
            const CompiledFormula* rewritten = cell.formula.get();
            Variant next = evaluateOnce(*this, sheet, cell, *rewritten, recurse);
            if (cell.formula.get() == rewritten) {
                changed = store(sheet, cell, std::move(next));
                break;
            }
        }
    }
    // The formulas replaced while cells were evaluated are let go of once no cell is.
    if (calcDepth == 0) {
        retired.clear();
    }
    return changed;
}

const Variant& AppState::readEvaluating(const Cell& cell) {
    for (Evaluation* it = innermost; it != nullptr && it->hostCalls == hostCalls; it = it->outer) {
        if (it->cell == &cell) {
            for (Evaluation* in = innermost; in != it->outer; in = in->outer) {
                in->circular = true;
            }
            return kEmpty;
        }
    }
    return cell.value;
}

int AppState::functionSlot(std::string_view name) const {
    auto it = functionIndex.find(base::toLowerAscii(name));
    return it == functionIndex.end() ? -1 : it->second;
}

const WorksheetFunction* AppState::registeredFunction(std::string_view name) const {
    const int slot = functionSlot(name);
    return slot < 0 ? nullptr : &functions[static_cast<std::size_t>(slot)].function;
}

std::optional<std::string> AppState::canonicalFunctionName(std::string_view name) const {
    const int slot = functionSlot(name);
    if (slot < 0) {
        return std::nullopt;
    }
    return functions[static_cast<std::size_t>(slot)].name;
}

std::string AppState::renderFormula(const CompiledFormula& compiled, int rowOffset,
                                    int columnOffset) const {
    const auto canonical = [this](std::string_view n) { return canonicalFunctionName(n); };
    if (rowOffset != 0 || columnOffset != 0) {
        return formula::render(compiled.parsed, canonical, rowOffset, columnOffset);
    }
    if (compiled.shownVersion != functionsVersion) {
        compiled.shown = formula::render(compiled.parsed, canonical);
        compiled.shownVersion = functionsVersion;
    }
    return compiled.shown;
}

std::optional<formula::AreaRef> AppState::resolveName(SheetData& sheet, const std::string& name) {
    const NameData* found = visibleName(sheet, name);
    if (found == nullptr) {
        return std::nullopt;
    }
    auto target = nameTarget(*sheet.book, *found, &sheet);
    if (!target || target->areas.size() != 1) {
        return std::nullopt;
    }
    const Area& a = target->areas.front();
    // The formula's own sheet goes unnamed, as its own references do.
    return formula::AreaRef{target->sheet == &sheet ? std::string() : target->sheet->name,
                            a.firstRow, a.firstColumn, a.lastRow, a.lastColumn};
}

}  // namespace kavex::sheet::detail
