// Dependency-driven recalculation. Evaluation may re-enter the host (a worksheet function can
// write cells, switch the calculation mode or recalculate): nothing here holds an iterator or a
// reference across an evaluation except the cell being evaluated, which is never erased while
// its evaluating flag is set; sheets are kept alive by shared pointers for the whole pass.

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/base/Text.h"
#include "platform/spreadsheet/detail/Model.h"
#include "platform/spreadsheet/formula/ArgumentList.h"

namespace kavex::sheet::detail {

// ---- Dependencies ------------------------------------------------------------------------------

void Dependencies::add(GlobalKey dependent, std::uint32_t sheetId, const Area& area) {
    if (area.cellCount() == 1) {
        const GlobalKey key = globalKey(sheetId, cellKey(area.firstRow, area.firstColumn));
        single_[key].push_back(dependent);
        registered_[dependent].push_back(key);
    } else {
        areas_.push_back(AreaDep{sheetId, area, dependent});
        hasArea_.insert(dependent);
        registered_.try_emplace(dependent);
    }
}

void Dependencies::remove(GlobalKey dependent) {
    auto it = registered_.find(dependent);
    if (it == registered_.end()) {
        return;
    }
    for (GlobalKey key : it->second) {
        auto s = single_.find(key);
        if (s != single_.end()) {
            auto& list = s->second;
            list.erase(std::remove(list.begin(), list.end(), dependent), list.end());
            if (list.empty()) {
                single_.erase(s);
            }
        }
    }
    registered_.erase(it);
    if (hasArea_.erase(dependent) > 0) {
        areas_.erase(std::remove_if(areas_.begin(), areas_.end(),
                                    [&](const AreaDep& d) { return d.dependent == dependent; }),
                     areas_.end());
    }
}

void Dependencies::dependentsOf(GlobalKey key, std::vector<GlobalKey>& out) const {
    if (auto it = single_.find(key); it != single_.end()) {
        out.insert(out.end(), it->second.begin(), it->second.end());
    }
    if (!areas_.empty()) {
        const std::uint32_t sheet = globalSheet(key);
        const CellKey cell = globalCell(key);
        const int row = keyRow(cell);
        const int column = keyColumn(cell);
        for (const auto& d : areas_) {
            if (d.sheetId == sheet && d.area.contains(row, column)) {
                out.push_back(d.dependent);
            }
        }
    }
}

void Dependencies::clear() {
    single_.clear();
    areas_.clear();
    registered_.clear();
    hasArea_.clear();
}

// ---- Registration ------------------------------------------------------------------------------

void AppState::registerFormula(SheetData& sheet, CellKey key, const Cell& cell) {
    if (dependenciesStale || sheet.book == nullptr || !cell.formula) {
        return;
    }
    const CompiledFormula& compiled = *cell.formula;
    const GlobalKey self = globalKey(sheet.id, key);
    // A shared form's references are all relative: they move with the cell.
    const int dr = cell.rowShift, dc = cell.columnShift;
    for (const auto& ref : compiled.parsed.references()) {
        SheetData* target = ref.sheet.empty() ? &sheet : sheet.book->sheetNamed(ref.sheet);
        if (target != nullptr) {
            dependencies.add(self, target->id,
                             Area{ref.firstRow + dr, ref.firstColumn + dc, ref.lastRow + dr,
                                  ref.lastColumn + dc});
        }
    }
    for (const auto& name : compiled.parsed.names()) {
        if (auto area = resolveName(sheet, name)) {
            SheetData* target = area->sheet.empty() ? &sheet : sheet.book->sheetNamed(area->sheet);
            if (target != nullptr) {
                dependencies.add(
                    self, target->id,
                    Area{area->firstRow, area->firstColumn, area->lastRow, area->lastColumn});
            }
        }
    }
}

void AppState::unregisterFormula(SheetData& sheet, CellKey key) {
    if (!dependenciesStale) {
        dependencies.remove(globalKey(sheet.id, key));
    }
}

void AppState::ensureDependencies() {
    if (!dependenciesStale) {
        return;
    }
    dependencies.clear();
    dependenciesStale = false;
    auto registerBook = [&](BookData& book) {
        for (auto& sheet : book.sheets) {
            for (auto& [key, cell] : sheet->cells) {
                if (cell.formula) {
                    registerFormula(*sheet, key, cell);
                }
            }
        }
    };
    for (auto& book : books) {
        registerBook(*book);
    }
    for (auto& addIn : addIns) {
        if (addIn.book) {
            registerBook(*addIn.book);
        }
    }
}

// ---- Evaluation --------------------------------------------------------------------------------

namespace {

// The steps of recalculating one cell are small and run for every cell of a pass: calls between
// them would cost more than their own work.
#if defined(__GNUC__) || defined(__clang__)
#define KAVEX_ALWAYS_INLINE inline __attribute__((always_inline))
#define KAVEX_LAMBDA_INLINE __attribute__((always_inline))
#else
#define KAVEX_ALWAYS_INLINE inline
#define KAVEX_LAMBDA_INLINE
#endif

// A pass writes an argument's four coordinates as four plain stores: GCC would otherwise gather
// them into one vector first, which takes twice the instructions for every cell.
#if defined(__GNUC__) && !defined(__clang__)
#define KAVEX_SCALAR_STORES __attribute__((optimize("no-tree-slp-vectorize")))
#else
#define KAVEX_SCALAR_STORES
#endif

// Whether the 16 characters at a and b are the same, each read at once.
KAVEX_ALWAYS_INLINE bool same16(const char* a, const char* b) {
#if defined(__SSE2__)
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) == 0xFFFF;
#else
    return std::memcmp(a, b, 16) == 0;
#endif
}

// Whether the h < 8 characters at a and b are the same, read without touching the ones after them.
KAVEX_ALWAYS_INLINE bool sameHead(const char* a, const char* b, std::size_t h) {
    if (h >= 4) {
        return std::memcmp(a, b, 4) == 0 && std::memcmp(a + h - 4, b + h - 4, 4) == 0;
    }
    // The first, the middle and the last character cover one, two or three.
    return h == 0 || (a[0] == b[0] && a[h / 2] == b[h / 2] && a[h - 1] == b[h - 1]);
}

// Whether n characters at a and b are the same. The texts a pass compares are short (a result
// with the cell's value, an argument with what it held), and a call to the library's comparison
// would cost more than the comparison: a text of up to 32 characters is compared in reads of a
// fixed size that the compiler does in a few instructions. A result has mostly just been copied
// in as a head and a tail of 16 characters that overlap; a read that spans both has to wait until
// both are in the cache, so each is read as it was written.
KAVEX_ALWAYS_INLINE bool sameCharacters(const char* a, const char* b, std::size_t n) {
    if (n >= 16 && n <= 32) {
        return same16(a + n - 16, b + n - 16) && same16(a, b);
    }
    if (n >= 8 && n < 16) {
        return std::memcmp(a + n - 8, b + n - 8, 8) == 0 && sameHead(a, b, n - 8);
    }
    if (n >= 4 && n < 8) {
        return std::memcmp(a + n - 4, b + n - 4, 4) == 0 && sameHead(a, b, n - 4);
    }
    if (n < 4) {
        return sameHead(a, b, n);
    }
    return std::memcmp(a, b, n) == 0;
}

KAVEX_ALWAYS_INLINE bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && sameCharacters(a.data(), b.data(), a.size());
}

// a == b, with the common case of two texts (what most host functions return) compared
// without the general dispatch on both kinds.
KAVEX_ALWAYS_INLINE bool sameValue(const Variant& a, const Variant& b) {
    if (a.isText() && b.isText()) {
        return sameText(a.text(), b.text());
    }
    return a == b;
}

// Writes a value over an argument's: a text equal to the one already there is left as it is.
KAVEX_ALWAYS_INLINE void assignValue(Variant& to, const Variant& from) {
    if (to.isText() && from.isText() && sameText(to.text(), from.text())) {
        return;
    }
    to = from;
}

const Variant kEmpty;
const Variant kNoSheet(base::CellError::Ref);  // a sheet named in a formula that does not exist
const std::string kOwnSheet;                   // how a formula names its own sheet: not at all

// How a formula being evaluated reads cells: each cell's value, brought up to date first when it
// waits for recalculation (and this evaluation may recurse). A value read stays valid until the
// host runs again. The usual case, a cell of the formula's own sheet that waits for nothing, is
// answered inline; the rest by refreshed().
class CellReader {
  public:
    CellReader(AppState& app, SheetData& sheet, bool recurse)
        : app_(app), sheet_(sheet), recurse_(recurse) {}

    AppState& app() const { return app_; }
    SheetData& sheet() const { return sheet_; }

    const Variant& current(const std::string& sheetName, int row, int column) {
        if (sheetName.empty()) {
            return current(row, column);
        }
        return refreshed(sheetName, row, column);
    }

    // The same, of a cell of the formula's own sheet.
    KAVEX_ALWAYS_INLINE const Variant& current(int row, int column) {
        const Cell* cell = sheet_.cells.get(row, column);
        if (cell == nullptr) {
            return kEmpty;
        }
        if (cell->evaluating) [[unlikely]] {
            return app_.readEvaluating(*cell);
        }
        if (!cell->dirty || !recurse_) [[likely]] {
            return cell->value;
        }
        return refreshed(kOwnSheet, row, column);
    }

  private:
    const Variant& refreshed(const std::string& sheetName, int row, int column) {
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
        if (cell->dirty && recurse_ && cell->formula && !cell->evaluating && app_.calcDepth < 256) {
            auto keep = target->shared_from_this();
            app_.evaluateCell(*target, key, true);
            cell = target->cells.get(key);
            if (cell == nullptr) {
                return kEmpty;
            }
        }
        return cell->value;
    }

    AppState& app_;
    SheetData& sheet_;
    bool recurse_;
};

// The registered function of the formula's functionNames() entry, or nullptr; the formula's
// functions are resolved again after the registrations changed.
KAVEX_ALWAYS_INLINE const WorksheetFunction* resolvedFunction(const AppState& app,
                                                              const CompiledFormula& compiled,
                                                              std::size_t entry) {
    if (compiled.slotsVersion != app.functionsVersion) [[unlikely]] {
        const auto& names = compiled.parsed.functionNames();
        compiled.clearFunctions(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            compiled.function(i) = app.registeredFunction(names[i]);
        }
        compiled.slotsVersion = app.functionsVersion;
    }
    return compiled.function(entry);
}

// Calls a host function whose call is already counted in AppState::hostCalls. Slots are never
// removed or replaced, so the callable outlives any re-registration made while it runs. A
// function that fails gives #VALUE!.
KAVEX_ALWAYS_INLINE Variant invokeCounted(const WorksheetFunction& function,
                                          const std::vector<formula::Argument>& arguments) {
    try {
        return function(arguments);
    } catch (...) {
        return Variant(base::CellError::Value);
    }
}

// Calls a host function, counted while it runs.
KAVEX_ALWAYS_INLINE Variant invoke(AppState& app, const WorksheetFunction& function,
                                   const std::vector<formula::Argument>& arguments) {
    struct Running {
        int& calls;
        explicit Running(int& c) : calls(++c) {}
        ~Running() { --calls; }
    } running(app.hostCalls);
    return invokeCounted(function, arguments);
}

// The argument lists of plain host calls at the current nesting level, held for as long as this
// lives (a nested call takes the next level's). A level keeps a list for each of a few columns:
// the cells of one column of a sheet mostly read the same kind of argument (often the very same
// text), which the column's list then still holds, so that an argument is compared rather than
// copied.
class TakenArguments {
  public:
    static constexpr std::size_t kColumns = AppState::kArgumentListsPerLevel;

    KAVEX_ALWAYS_INLINE explicit TakenArguments(AppState& app) : depth_(app.plainDepth) {
        const std::size_t first = depth_ * kColumns;
        if (first == app.plainArguments.size()) [[unlikely]] {
            for (std::size_t i = 0; i < kColumns; ++i) {
                app.plainArguments.push_back(std::make_unique<std::vector<formula::Argument>>());
            }
        }
        for (std::size_t i = 0; i < kColumns; ++i) {
            lists_[i] = app.plainArguments[first + i].get();
            sizes_[i] = lists_[i]->size();
        }
        ++depth_;
    }
    ~TakenArguments() { --depth_; }
    TakenArguments(const TakenArguments&) = delete;
    TakenArguments& operator=(const TakenArguments&) = delete;

    // The list of the cells of column, of count arguments (of unspecified values: the caller
    // assigns every one).
    KAVEX_ALWAYS_INLINE std::vector<formula::Argument>& list(std::size_t count, int column = 0) {
        const auto at = static_cast<std::size_t>(column) % kColumns;
        if (sizes_[at] != count) [[unlikely]] {
            lists_[at]->resize(count);
            sizes_[at] = count;
        }
        return *lists_[at];
    }

  private:
    std::size_t& depth_;
    std::array<std::vector<formula::Argument>*, kColumns> lists_;
    std::array<std::size_t, kColumns> sizes_;  // of lists_, kept here: asking costs a division
};

// An argument's area, written over the one a reused argument may hold (without copying a sheet
// name that is already there).
void setReference(std::optional<formula::AreaRef>& reference, const formula::AreaRef& area) {
    if (!reference) {
        reference = area;
        return;
    }
    if (reference->sheet != area.sheet) {
        reference->sheet = area.sheet;
    }
    reference->firstRow = area.firstRow;
    reference->firstColumn = area.firstColumn;
    reference->lastRow = area.lastRow;
    reference->lastColumn = area.lastColumn;
}

KAVEX_ALWAYS_INLINE void setLocalReference(std::optional<formula::AreaRef>& reference, int firstRow,
                                           int firstColumn, int lastRow, int lastColumn) {
    if (!reference) [[unlikely]] {
        reference.emplace();
    } else if (!reference->sheet.empty()) [[unlikely]] {
        reference->sheet.clear();
    }
    reference->firstRow = firstRow;
    reference->firstColumn = firstColumn;
    reference->lastRow = lastRow;
    reference->lastColumn = lastColumn;
}

// The value of a formula that is a plain host call (see Formula::plainHostCall), the very value
// evaluate() gives, without walking the tree: the arguments are read in order, then the function
// is called. This is the road of nearly every formula an add-in's sheet holds, and the arguments
// are mostly cells of the formula's own sheet, read here without a sheet name. A shared form's
// references are all relative: they move with the cell by (dr, dc).
KAVEX_ALWAYS_INLINE Variant evaluatePlainCall(CellReader& reader, const CompiledFormula& compiled,
                                              int dr, int dc) {
    AppState& app = reader.app();
    TakenArguments taken(app);
    std::vector<formula::Argument>& arguments = taken.list(compiled.plainCount);
    if (compiled.plainLocal) [[likely]] {
        const CompiledFormula::LocalArea* area = compiled.localArguments.data();
        for (formula::Argument& argument : arguments) {
            const int row = area->firstRow + dr;
            const int column = area->firstColumn + dc;
            assignValue(argument.value, reader.current(row, column));
            setLocalReference(argument.reference, row, column, area->lastRow + dr,
                              area->lastColumn + dc);
            ++area;
        }
    } else {
        const formula::AreaRef* area = compiled.plainArguments;
        for (formula::Argument& argument : arguments) {
            argument.value =
                reader.current(area->sheet, area->firstRow + dr, area->firstColumn + dc);
            setReference(argument.reference, *area);
            if (dr != 0 || dc != 0) {
                argument.reference->firstRow += dr;
                argument.reference->lastRow += dr;
                argument.reference->firstColumn += dc;
                argument.reference->lastColumn += dc;
            }
            ++area;
        }
    }
    const WorksheetFunction* function = resolvedFunction(app, compiled, compiled.plainEntry);
    if (function == nullptr) {
        return Variant(base::CellError::Name);
    }
    return invoke(app, *function, arguments);
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
    KAVEX_ALWAYS_INLINE Evaluating(AppState& app, Cell& cell)
        : app_(app), cell_(cell), record_{&cell, app.hostCalls, false, app.innermost} {
        cell.evaluating = true;
        cell.dirty = false;
        ++app.calcDepth;
        app.innermost = &record_;
    }
    KAVEX_ALWAYS_INLINE ~Evaluating() {
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

// The same for the lean road (evaluatePlainLocal), which reads its arguments before it calls
// the function and runs nothing else in between. Only such a read of a cell being evaluated looks
// for this cell's record among the evaluations; whatever the function runs sits one host call
// deeper and never looks past its own nesting. So the record is linked only when such a read
// comes, and a cell whose arguments are all at rest costs no record at all. The calculation
// depth and the host call are counted by the pass for all its lean cells (see LeanPass).
class LeanEvaluating {
  public:
    KAVEX_ALWAYS_INLINE LeanEvaluating(AppState& app, Cell& cell) : app_(app), cell_(cell) {
        cell.evaluating = true;
        cell.dirty = false;
    }
    KAVEX_ALWAYS_INLINE ~LeanEvaluating() {
        if (linked_) [[unlikely]] {
            app_.innermost = record_.outer;
        }
        cell_.evaluating = false;
    }
    LeanEvaluating(const LeanEvaluating&) = delete;
    LeanEvaluating& operator=(const LeanEvaluating&) = delete;

    // What an argument read of a cell being evaluated gives (see AppState::readEvaluating).
    const Variant& read(const Cell& source) {
        if (!linked_) {
            record_ = {&cell_, app_.hostCalls, false, app_.innermost};
            app_.innermost = &record_;
            linked_ = true;
        }
        return app_.readEvaluating(source);
    }

    bool circular() const { return linked_ && record_.circular; }

  private:
    AppState& app_;
    Cell& cell_;
    bool linked_ = false;
    // Written when linked: most cells never need it, and setting it up would cost every cell.
    union {
        AppState::Evaluation record_;
    };
};

// Walks the formula's tree: every formula that is not a plain host call.
Variant evaluateTree(CellReader& reader, const CompiledFormula& compiled, int dr, int dc) {
    CellContext context(reader, compiled);
    return formula::evaluate(compiled.parsed, context, dr, dc);
}

// The value of the cell's formula, computed once.
Variant evaluateOnce(AppState& app, SheetData& sheet, Cell& cell, const CompiledFormula& compiled,
                     bool recurse) {
    Evaluating evaluating(app, cell);
    CellReader reader(app, sheet, recurse);
    Variant result = compiled.plainEntry != CompiledFormula::kNotPlain
                         ? evaluatePlainCall(reader, compiled, cell.rowShift, cell.columnShift)
                         : evaluateTree(reader, compiled, cell.rowShift, cell.columnShift);
    if (evaluating.circular()) [[unlikely]] {
        result = Variant(0.0);
    }
    return result;  // one named result: no move of the value on the way out
}

// Keeps a result as the cell's value (a cell of sheet); true when the value changed.
KAVEX_ALWAYS_INLINE bool store(SheetData& sheet, Cell& cell, Variant&& result) {
    const bool changed = !sameValue(cell.value, result);
    if (changed) {
        sheet.valueRecalculated();  // what was read of the sheet may no longer stand
    }
    // An equal text, logical or error value is the very same value: keeping the old one spares a
    // store. Numbers (and dates) are stored anyway, so that 0 and -0 stay apart.
    if (changed || result.isNumber() || result.isDate()) {
        cell.value = std::move(result);
    }
    return changed;
}

// The cell's function put a new formula into its own cell while it ran: that one is computed
// next, a few times at most (a function that always rewrites its cell must not spin for ever).
bool evaluateRewritten(AppState& app, SheetData& sheet, Cell& cell, bool recurse) {
    for (int attempt = 1; attempt < 4 && cell.formula && cell.dirty; ++attempt) {
        const CompiledFormula* compiled = cell.formula.get();
        Variant result = evaluateOnce(app, sheet, cell, *compiled, recurse);
        if (cell.formula.get() == compiled) {
            return store(sheet, cell, std::move(result));
        }
    }
    return true;
}

// Keeps the result of the cell's formula (compiled), evaluated once; true when the value changed.
// The formulas replaced while cells were evaluated are let go of by the caller, once no cell is.
KAVEX_ALWAYS_INLINE bool keepResult(AppState& app, SheetData& sheet, Cell& cell,
                                    const CompiledFormula* compiled, Variant&& result,
                                    bool recurse) {
    return cell.formula.get() == compiled ? store(sheet, cell, std::move(result))
                                          : evaluateRewritten(app, sheet, cell, recurse);
}

void releaseRetired(AppState& app) {
    if (app.calcDepth == 0 && !app.retired.empty()) [[unlikely]] {
        app.retired.clear();
    }
}

// The value of a plain host call (see evaluatePlainCall) whose arguments are all cells of the
// formula's own sheet, for a pass that takes the cells it reads as they are (see CellReader with
// recurse false): the road of nearly every cell a pass over an add-in's sheet computes, taken
// with the fewest steps. row and rowCells are the cell's own row: an argument there is found in
// it. The pass holds the argument lists of its nesting level for all these calls (taken).
KAVEX_ALWAYS_INLINE Variant evaluatePlainLocal(AppState& app, SheetData& sheet, Cell& cell,
                                               const CompiledFormula& compiled, int row, int column,
                                               const CellTable<Cell>::RowCells& rowCells,
                                               TakenArguments& taken) {
    LeanEvaluating evaluating(app, cell);
    Variant result = [&]() KAVEX_LAMBDA_INLINE {
        std::vector<formula::Argument>& arguments = taken.list(compiled.plainCount, column);
        const int dr = cell.rowShift;
        const int dc = cell.columnShift;
        const CompiledFormula::LocalArea* area = compiled.localArguments.data();
        for (formula::Argument& argument : arguments) {
            const int r = area->firstRow + dr;
            const int c = area->firstColumn + dc;
            const Cell* source = r == row ? rowCells.find(c) : sheet.cells.get(r, c);
            assignValue(argument.value, source == nullptr     ? kEmpty
                                        : !source->evaluating ? source->value
                                                              : evaluating.read(*source));
            setLocalReference(argument.reference, r, c, area->lastRow + dr, area->lastColumn + dc);
            ++area;
        }
        const WorksheetFunction* function = resolvedFunction(app, compiled, compiled.plainEntry);
        if (function == nullptr) {
            return Variant(base::CellError::Name);
        }
        return invokeCounted(*function, arguments);
    }();
    if (evaluating.circular()) [[unlikely]] {
        result = Variant(0.0);
    }
    return result;
}

// Counts, for a whole pass, the calculation depth and the host call of each lean cell
// (evaluatePlainLocal): the counts a cell would set for itself, set once instead of for every
// cell. Nothing but lean cells runs between them, so nothing else sees the counts. The careful
// road counts for itself: around it the pass lets go (Released).
class LeanPass {
  public:
    explicit LeanPass(AppState& app) : app_(app) { hold(); }
    ~LeanPass() { release(); }
    LeanPass(const LeanPass&) = delete;
    LeanPass& operator=(const LeanPass&) = delete;

    class Released {
      public:
        explicit Released(LeanPass& pass) : pass_(pass) { pass_.release(); }
        ~Released() { pass_.hold(); }
        Released(const Released&) = delete;
        Released& operator=(const Released&) = delete;

      private:
        LeanPass& pass_;
    };

  private:
    void hold() {
        ++app_.calcDepth;
        ++app_.hostCalls;
    }
    void release() {
        --app_.calcDepth;
        --app_.hostCalls;
    }

    AppState& app_;
};

// Asks for the text a cell's value keeps out of line, ahead of the cell's evaluation: its first
// and its last character, which may lie on two cache lines.
KAVEX_ALWAYS_INLINE void fetchValue(const Cell& cell) {
#if defined(__GNUC__) || defined(__clang__)
    if (cell.value.isText()) {
        const std::string& text = cell.value.text();
        __builtin_prefetch(text.data());
        __builtin_prefetch(text.data() + text.size());
    }
#else
    (void)cell;
#endif
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
    const bool changed = keepResult(*this, sheet, cell, compiled, std::move(result), recurse);
    releaseRetired(*this);
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

void AppState::trimArguments() {
    formula::ArgumentList::trim();
    constexpr std::size_t kLongestTextKept = 256;
    for (std::size_t i = plainDepth * kArgumentListsPerLevel; i < plainArguments.size(); ++i) {
        for (formula::Argument& argument : *plainArguments[i]) {
            if (argument.value.isText() && argument.value.text().capacity() > kLongestTextKept) {
                argument.value = Variant();
            }
        }
    }
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

// ---- Passes ------------------------------------------------------------------------------------

std::vector<GlobalKey> AppState::dependentsClosure(const std::vector<GlobalKey>& roots) {
    ensureDependencies();
    // Depth-first over the dependents; the reversed finishing order puts every cell after the
    // cells it reads (cycles aside).
    std::vector<GlobalKey> order;
    std::unordered_set<GlobalKey> seen;
    std::vector<std::pair<GlobalKey, bool>> stack;
    std::vector<GlobalKey> next;
    for (GlobalKey root : roots) {
        next.clear();
        dependencies.dependentsOf(root, next);
        for (GlobalKey d : next) {
            stack.emplace_back(d, false);
        }
        while (!stack.empty()) {
            auto [key, done] = stack.back();
            stack.pop_back();
            if (done) {
                order.push_back(key);
                continue;
            }
            if (!seen.insert(key).second) {
                continue;
            }
            stack.emplace_back(key, true);
            next.clear();
            dependencies.dependentsOf(key, next);
            for (GlobalKey d : next) {
                if (!seen.count(d)) {
                    stack.emplace_back(d, false);
                }
            }
        }
    }
    std::reverse(order.begin(), order.end());
    return order;
}

void AppState::recalculate(const std::vector<GlobalKey>& cells) {
    for (GlobalKey key : cells) {
        SheetData* sheet = sheetById(globalSheet(key));
        if (sheet == nullptr) {
            continue;
        }
        auto keep = sheet->shared_from_this();
        evaluateCell(*sheet, globalCell(key), true);
    }
    trimArguments();
}

void AppState::valuesChanged(const std::vector<GlobalKey>& keys) {
    if (keys.empty()) {
        return;
    }
    auto closure = dependentsClosure(keys);
    if (closure.empty()) {
        return;
    }
    markDirty(closure);
}

void AppState::markDirty(const std::vector<GlobalKey>& keys) {
    for (GlobalKey key : keys) {
        if (SheetData* sheet = sheetById(globalSheet(key))) {
            if (Cell* cell = sheet->find(keyRow(globalCell(key)), keyColumn(globalCell(key)))) {
                if (cell->formula) {
                    cell->dirty = true;
                }
            }
        }
    }
    if (calculation == xlCalculationAutomatic) {
        recalculate(keys);
    }
    // What is still dirty (manual mode, or cells busy evaluating) waits for the next pass.
    for (GlobalKey key : keys) {
        if (SheetData* sheet = sheetById(globalSheet(key))) {
            if (Cell* cell = sheet->find(keyRow(globalCell(key)), keyColumn(globalCell(key)))) {
                if (cell->dirty) {
                    dirty.push_back(key);
                }
            }
        }
    }
}

void AppState::calculateDirty(std::uint32_t onlySheet) {
    std::vector<GlobalKey> pending;
    std::vector<GlobalKey> keep;
    for (GlobalKey key : dirty) {
        (onlySheet == 0 || globalSheet(key) == onlySheet ? pending : keep).push_back(key);
    }
    dirty = std::move(keep);
    if (pending.empty()) {
        return;
    }
    // Order the dirty cells and everything that reads them so that each comes after the cells it
    // reads. A cell that is not dirty itself (one entered while calculation was manual, computed
    // from values that were stale then) is computed when a cell it reads changes on the way.
    auto order = dependentsClosure(pending);
    std::vector<GlobalKey> sequence;
    std::unordered_set<GlobalKey> inOrder(order.begin(), order.end());
    for (GlobalKey key : pending) {
        if (!inOrder.count(key)) {
            sequence.push_back(key);
        }
    }
    sequence.insert(sequence.end(), order.begin(), order.end());
    std::vector<GlobalKey> readers;
    for (GlobalKey key : sequence) {
        if (onlySheet != 0 && globalSheet(key) != onlySheet) {
            continue;
        }
        SheetData* sheet = sheetById(globalSheet(key));
        if (sheet == nullptr) {
            continue;
        }
        auto hold = sheet->shared_from_this();
        const CellKey cell = globalCell(key);
        Cell* c = sheet->find(keyRow(cell), keyColumn(cell));
        if (c == nullptr || !c->dirty || !evaluateCell(*sheet, *c, true)) {
            continue;
        }
        ensureDependencies();
        readers.clear();
        dependencies.dependentsOf(key, readers);
        for (GlobalKey reader : readers) {
            SheetData* readerSheet = sheetById(globalSheet(reader));
            Cell* r = readerSheet == nullptr ? nullptr
                                             : readerSheet->find(keyRow(globalCell(reader)),
                                                                 keyColumn(globalCell(reader)));
            if (r != nullptr && r->formula && !r->dirty) {
                r->dirty = true;
                if (onlySheet != 0 && globalSheet(reader) != onlySheet) {
                    dirty.push_back(reader);  // another sheet's cell waits for its own pass
                }
            }
        }
    }
    trimArguments();
}

KAVEX_SCALAR_STORES void AppState::calculateCells(SheetData& sheet,
                                                  const std::vector<Area>& areas) {
    auto hold = sheet.shared_from_this();
    std::vector<GlobalKey> changedKeys;
    // The hot path: no look-up per cell, no copies of values.
    std::optional<TakenArguments> taken(std::in_place, *this);
    std::optional<LeanPass> lean(std::in_place, *this);
    auto visit = [&](int row, int column, Cell& cell,
                     const CellTable<Cell>::RowCells& rowCells) KAVEX_LAMBDA_INLINE {
        const CompiledFormula* compiled = cell.formula.get();
        if (compiled == nullptr || cell.evaluating) {
            return true;
        }
        Variant result =
            compiled->plainLocal
                ? evaluatePlainLocal(*this, sheet, cell, *compiled, row, column, rowCells, *taken)
                : [&] {
                      LeanPass::Released careful(*lean);
                      return evaluateOnce(*this, sheet, cell, *compiled, false);
                  }();
        // A cell whose function put a new formula into it takes the careful road for that one.
        const bool changed =
            cell.formula.get() == compiled ? store(sheet, cell, std::move(result)) : [&] {
                LeanPass::Released careful(*lean);
                return evaluateRewritten(*this, sheet, cell, false);
            }();
        if (changed) {
            changedKeys.push_back(globalKey(sheet.id, cellKey(row, column)));
        }
        return sheet.alive;
    };
    for (const Area& a : areas) {
        if (!sheet.alive) {
            break;
        }
        // Rows past the last cell and pages without cells cost nothing: whole columns are walked
        // as cheaply as the cells they hold.
        sheet.cells.forEachInArea(a.firstRow, a.lastRow, a.firstColumn, a.lastColumn, visit,
                                  fetchValue);
    }
    lean.reset();
    taken.reset();
    releaseRetired(*this);
    trimArguments();
    if (changedKeys.empty() || !sheet.alive) {
        return;
    }
    // The cells asked for are done; what reads them waits (or, in automatic mode, follows).
    const auto closure = dependentsClosure(changedKeys);
    std::vector<GlobalKey> follow;
    for (GlobalKey key : closure) {
        const CellKey cell = globalCell(key);
        const bool asked = globalSheet(key) == sheet.id &&
                           std::any_of(areas.begin(), areas.end(), [&](const Area& a) {
                               return a.contains(keyRow(cell), keyColumn(cell));
                           });
        if (!asked) {
            follow.push_back(key);
        }
    }
    markDirty(follow);
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
    // The formula's own sheet is the evaluator's fast path: it goes unnamed.
    return formula::AreaRef{target->sheet == &sheet ? std::string() : target->sheet->name,
                            a.firstRow, a.firstColumn, a.lastRow, a.lastColumn};
}

}  // namespace kavex::sheet::detail
