#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/base/Variant.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/Area.h"
#include "platform/spreadsheet/Constants.h"
#include "platform/spreadsheet/detail/CellTable.h"
#include "platform/spreadsheet/detail/FormulaReach.h"
#include "platform/spreadsheet/detail/HyperlinkTable.h"
#include "platform/spreadsheet/formula/Formula.h"

// The host's internal state. Handles (Workbook, Worksheet, Range, ...) point into it; the
// Application owns it.
namespace kavex::sheet::detail {

using base::Variant;

// CellKey, cellKey, keyRow and keyColumn: see CellTable.h.
// A cell's position among all open sheets.
using GlobalKey = std::uint64_t;
inline GlobalKey globalKey(std::uint32_t sheetId, CellKey key) {
    return (static_cast<std::uint64_t>(sheetId) << 36) | key;
}
inline std::uint32_t globalSheet(GlobalKey key) {
    return static_cast<std::uint32_t>(key >> 36);
}
inline CellKey globalCell(GlobalKey key) {
    return key & ((std::uint64_t{1} << 36) - 1);
}

// Font attributes set on a span of characters; unset ones come from the cell.
struct FontPatch {
    std::optional<std::string> name;
    std::optional<double> size;
    std::optional<bool> bold;
    std::optional<long> color;
    std::optional<int> colorIndex;  // set when the colour was given as an index
    std::optional<int> underline;
    friend bool operator==(const FontPatch&, const FontPatch&) = default;
};

struct Span {
    int start = 1;  // 1-based
    int length = 0;
    FontPatch patch;
    friend bool operator==(const Span&, const Span&) = default;
};

// A cell's formatting; shared between cells and copied on write.
struct Style {
    std::string fontName = "Calibri";
    double fontSize = 11;
    bool bold = false;
    long fontColor = 0;
    std::optional<int> fontColorIndex = xlColorIndexAutomatic;  // nullopt: set as a colour
    int underline = xlUnderlineStyleNone;
    std::optional<long> interiorColor;      // nullopt: no fill
    std::optional<int> interiorColorIndex;  // set when given as an index
    std::optional<int> borderWeight;
    std::optional<long> borderColor;
    std::string numberFormat = "General";
    bool wrapText = false;
    bool locked = true;
    friend bool operator==(const Style&, const Style&) = default;
};
const Style& defaultStyle();

// A parsed formula with the registered functions it calls, resolved once per change of the
// registrations (registered functions are never removed or replaced in place, so the pointers
// stay valid). What recalculating a plain host call (see formula::Formula::plainHostCall) reads
// of it is on its first cache line: the function, and where its arguments are.
struct alignas(64) CompiledFormula {
    explicit CompiledFormula(formula::Formula formula);
    // plainArguments points into parsed.
    CompiledFormula(const CompiledFormula&) = delete;
    CompiledFormula& operator=(const CompiledFormula&) = delete;

    // The registered function of functionNames() entry i (null: none), as last resolved.
    const WorksheetFunction*& function(std::size_t i) const {
        return i == 0 ? firstFunction : moreFunctions[i - 1];
    }
    // Room for count functions, none resolved.
    void clearFunctions(std::size_t count) const {
        firstFunction = nullptr;
        moreFunctions.assign(count > 1 ? count - 1 : 0, nullptr);
    }

    static constexpr std::uint32_t kNotPlain = ~std::uint32_t{0};

    mutable std::uint64_t slotsVersion = ~std::uint64_t{0};  // of the functions resolved
    mutable const WorksheetFunction* firstFunction = nullptr;
    std::uint32_t plainEntry = kNotPlain;  // the functionNames() entry a plain host call calls
    std::uint32_t plainCount = 0;          // its arguments
    const formula::AreaRef* plainArguments = nullptr;  // parsed.references()

    // Every reference is relative in all its coordinates and the formula names no sheet-bound
    // area that a move could push past the sheet's end: then the same parsed form serves every
    // cell holding this formula moved along (see Cell::rowShift).
    bool shareable = false;

    mutable std::vector<const WorksheetFunction*> moreFunctions;
    formula::Formula parsed;
    // The text the cell shows as its formula, kept for the registrations it was made under
    // (function names take the case they were registered with): reading a formula back is
    // frequent, re-rendering it is not free.
    mutable std::string shown;
    mutable std::uint64_t shownVersion = ~std::uint64_t{0};
};

// What recalculation reads of a cell comes first: with its key, its value, its flags and the
// pointer to its formula fill one cache line (the formula's control block begins the next).
struct Cell {
    Variant value;
    bool dirty = false;
    bool evaluating = false;
    // How far this cell lies from the cell its formula was parsed for: a formula filled along a
    // range or read from a file where it runs down a column shares one parsed form with those
    // cells, and its relative references move by these (the form is then shareable).
    std::int16_t columnShift = 0;
    std::int32_t rowShift = 0;
    std::shared_ptr<const CompiledFormula> formula;
    std::shared_ptr<const Style> style;  // nullptr: the default style
    std::vector<Span> spans;

    const Style& look() const { return style ? *style : defaultStyle(); }
    bool blank() const { return value.isEmpty() && !formula && !style && spans.empty(); }
};

struct CommentData {
    std::string text;
    bool autoSize = false;
    std::vector<Span> spans;
};

struct ConditionData {
    std::uint64_t id = 0;
    std::vector<Area> areas;
    int type = xlCellValue;
    int op = 0;
    std::string formula1;
    std::string formula2;
    std::optional<long> interiorColor;
    std::optional<int> interiorColorIndex;
};

struct OleData {
    std::uint64_t id = 0;
    std::string name;
    std::string progId;
    double left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
};

struct BookData;
struct AppState;

struct SheetData : std::enable_shared_from_this<SheetData> {
    std::uint32_t id = 0;
    std::string name;
    BookData* book = nullptr;  // cleared when the workbook closes
    bool alive = true;
    // Counts edits of the sheet and of its workbook's names, and values recalculation changed.
    std::uint64_t changes = 0;
    std::uint64_t recalculated = 0;  // of those, the values recalculation changed

    // Recalculation gave one of the sheet's cells another value.
    void valueRecalculated() {
        ++changes;
        ++recalculated;
    }

    CellTable<Cell> cells;
    std::map<CellKey, CommentData> comments;
    HyperlinkTable hyperlinks;
    std::vector<ConditionData> conditions;
    std::vector<OleData> oleObjects;
    std::set<int> hiddenRows;
    FormulaReach formulaReach;  // kept by every formula written, for row and column edits
    bool protectContents = false;
    std::string password;
    std::vector<Area> selection{Area{}};
    int activeRow = 1;
    int activeColumn = 1;

    Cell* find(int row, int column) { return cells.get(cellKey(row, column)); }
    Cell& at(int row, int column) { return cells[cellKey(row, column)]; }
    // Removes a cell that holds nothing any more (never one being evaluated).
    void dropIfBlank(int row, int column);
    AppState& app() const;
};

struct NameData {
    std::uint64_t id = 0;
    std::string name;
    std::string refersTo;
    std::uint32_t scopeSheet = 0;  // 0: workbook-level
};

struct ReferenceData {
    std::string name;
    std::string fullPath;
};

struct BookData : std::enable_shared_from_this<BookData> {
    AppState* app = nullptr;  // cleared when closed
    bool alive = true;
    bool closing = false;
    std::string name;
    std::string path;
    bool saved = true;
    bool isAddin = false;
    std::vector<std::shared_ptr<SheetData>> sheets;
    SheetData* activeSheet = nullptr;
    std::vector<NameData> names;
    std::string projectName = "VBAProject";
    std::vector<ReferenceData> references;
    std::vector<std::string> macros;  // the macros its project holds, as spelt there

    SheetData* sheetNamed(std::string_view name) const;
    std::shared_ptr<SheetData> shared(const SheetData* sheet) const;
};

struct FunctionSlot {
    std::string name;  // as registered: the spelling formulas show
    WorksheetFunction function;
};

struct AddInData {
    std::string fullName;
    bool installed = false;
    std::shared_ptr<BookData> book;
};

// Who depends on whom, for recalculation.
class Dependencies {
  public:
    void add(GlobalKey dependent, std::uint32_t sheetId, const Area& area);
    void remove(GlobalKey dependent);
    // Appends the formula cells that read the cell.
    void dependentsOf(GlobalKey key, std::vector<GlobalKey>& out) const;
    void clear();
    bool empty() const { return single_.empty() && areas_.empty(); }

  private:
    struct AreaDep {
        std::uint32_t sheetId;
        Area area;
        GlobalKey dependent;
    };
    std::unordered_map<GlobalKey, std::vector<GlobalKey>> single_;
    std::vector<AreaDep> areas_;
    std::unordered_map<GlobalKey, std::vector<GlobalKey>> registered_;  // dependent -> cells
    std::unordered_set<GlobalKey> hasArea_;
};

struct AppState {
    Application* owner = nullptr;

    // Workbooks.
    std::vector<std::shared_ptr<BookData>> books;  // open, in opening order
    BookData* activeBook = nullptr;
    std::vector<AddInData> addIns;
    std::unordered_map<std::uint32_t, SheetData*> sheetsById;
    std::uint32_t nextSheetId = 1;
    std::uint64_t nextId = 1;
    int nextBookNumber = 1;

    // Switches.
    std::vector<std::shared_ptr<ApplicationEvents>> sinks;
    EventFailureReporter eventFailureReporter;  // empty: standard error
    bool enableEvents = true;
    bool screenUpdating = true;
    bool displayAlerts = true;
    int cutCopyMode = 0;
    int enableCancelKey = xlInterrupt;
    int cursor = xlDefault;
    Variant statusBar = Variant(false);
    int windowState = xlNormal;
    std::string version = "16.0";
    std::string defaultFilePath = ".";
    int calculation = xlCalculationAutomatic;

    // Functions and macros.
    std::deque<FunctionSlot> functions;
    std::unordered_map<std::string, int> functionIndex;  // lower-case name -> slot
    std::uint64_t functionsVersion = 0;
    std::unordered_map<std::string, Macro> macros;  // lower-case name
    SaveAsDriver saveAsDriver;
    SavePromptDriver savePromptDriver;

    // Recalculation.
    Dependencies dependencies;
    bool dependenciesStale = true;
    std::vector<GlobalKey> dirty;  // may hold duplicates and cells no longer dirty
    int calcDepth = 0;
    // The cells being evaluated, innermost last, each with the host-function nesting it started
    // at. A formula that reads a cell of this chain without a host function in between reads
    // itself through a cycle: every cell of the cycle then gives 0, as the spreadsheet does
    // without iteration. Across a host function it is a re-entrant read of a pending value.
    // The records live on the stack of the evaluation they stand for, linked innermost first:
    // entering and leaving a cell costs two stores, not a push onto a container that may grow.
    struct Evaluation {
        const Cell* cell;
        int hostCalls;
        bool circular;
        Evaluation* outer;
    };
    Evaluation* innermost = nullptr;
    int hostCalls = 0;  // host functions running
    // After a pass: lets go of the long texts the idle argument lists keep.
    void trimArguments();
    // What a formula reads of a cell that is being evaluated.
    const Variant& readEvaluating(const Cell& cell);
    std::vector<std::shared_ptr<const CompiledFormula>> retired;  // replaced while evaluating

    ~AppState();

    // Lookup.
    SheetData* sheetById(std::uint32_t id) const;
    std::uint64_t newId() { return nextId++; }

    // Events: each sink in turn, when events are on. This is the one place the host calls into
    // an event handler: a failure escaping the handler ends that handler only. It is reported
    // here and never unwinds into the operation that raised the event, whose own state would be
    // left half changed; the next sink still hears the event.
    template <typename F>
    void raise(std::string_view event, F&& call) {
        if (!enableEvents || sinks.empty()) {
            return;
        }
        auto copy = sinks;
        for (auto& sink : copy) {
            try {
                call(*sink);
            } catch (...) {
                handlerFailed(event, std::current_exception());
            }
        }
    }
    void handlerFailed(std::string_view event, const std::exception_ptr& failure) const;

    // Workbooks and sheets.
    std::shared_ptr<BookData> newBook(const std::string& name);
    std::shared_ptr<SheetData> addSheet(BookData& book, const std::string& name);
    void adoptBook(const std::shared_ptr<BookData>& book);  // registers its sheets
    void detachBook(BookData& book);
    void activateBook(BookData& book);
    void activateSheet(SheetData& sheet);
    void selectRange(SheetData& sheet, const std::vector<Area>& areas, bool raiseEvent);

    // Writing cells.
    void checkWritable(SheetData& sheet, const std::vector<Area>& areas) const;
    void checkFormattable(SheetData& sheet) const;
    std::shared_ptr<const CompiledFormula> compile(std::string_view textAfterEquals) const;
    // Every defined name a formula compiled so far mentions, lower-cased, without its sheet: a
    // name no formula ever mentioned can change without moving what a formula depends on.
    mutable std::unordered_set<std::string> namesInFormulas;
    void noteNames(const formula::Formula& parsed) const;
    // Stores an entry (a value, or text read as the host's cell entry); no events, no recalc.
    void storeEntry(SheetData& sheet, int row, int column, const Variant& entry,
                    const std::shared_ptr<const CompiledFormula>& preparsed = nullptr);
    void storeFormula(SheetData& sheet, int row, int column,
                      std::shared_ptr<const CompiledFormula> formula, int rowShift = 0,
                      int columnShift = 0);
    // Whether the formula, moved by the shifts, can share its parsed form (see Cell::rowShift):
    // it is shareable and its references stay on the sheet.
    static bool canShare(const CompiledFormula& formula, int rowShift, int columnShift);
    // The text a formula cell shows, without the "=".
    std::string formulaText(const Cell& cell) const;
    // Gives the cell a parsed form of its own (its formula as it reads, unshifted).
    void unshare(Cell& cell) const;
    void clearCell(SheetData& sheet, int row, int column);
    // After cells changed: recalculation by mode, the workbook marked unsaved, SheetChange.
    void changed(SheetData& sheet, const std::vector<Area>& areas, const std::vector<CellKey>& keys,
                 bool raiseEvent = true);
    void touch(SheetData& sheet);

    // Recalculation.
    void ensureDependencies();
    void registerFormula(SheetData& sheet, CellKey key, const Cell& cell);
    void unregisterFormula(SheetData& sheet, CellKey key);
    void evaluateCell(SheetData& sheet, CellKey key, bool recurse);
    // true when the value changed.
    bool evaluateCell(SheetData& sheet, Cell& cell, bool recurse);
    std::vector<GlobalKey> dependentsClosure(const std::vector<GlobalKey>& roots);
    void recalculate(const std::vector<GlobalKey>& cells);
    void calculateDirty(std::uint32_t onlySheet = 0);
    void calculateCells(SheetData& sheet, const std::vector<Area>& areas);
    void valuesChanged(const std::vector<GlobalKey>& keys);
    // Formula cells whose inputs moved without a cell being written (a row or column edit moved,
    // removed or shifted what they read): they and everything that reads them are dirty, and
    // computed as the calculation mode says.
    void inputsMoved(const std::vector<GlobalKey>& formulas);
    void markDirty(const std::vector<GlobalKey>& keys);
    std::optional<formula::AreaRef> resolveName(SheetData& sheet, const std::string& name);
    int functionSlot(std::string_view name) const;
    const WorksheetFunction* registeredFunction(std::string_view name) const;
    std::optional<std::string> canonicalFunctionName(std::string_view name) const;
    std::string renderFormula(const CompiledFormula& formula, int rowOffset = 0,
                              int columnOffset = 0) const;
};

BookData& liveBook(const std::shared_ptr<BookData>& book);

// Where a reference or a defined name points: a sheet and its areas.
struct Target {
    SheetData* sheet = nullptr;
    std::vector<Area> areas;
};
// The defined name a sheet sees under a name: its own sheet-level name first, then the
// workbook's. nullptr when there is none.
const NameData* visibleName(const SheetData& from, std::string_view name);
// A defined name's target: the sheet its reference names, else the name's own sheet, else
// `from` (a workbook-level name whose reference names no sheet). nullopt when the name refers to
// no range or to a sheet that does not exist.
std::optional<Target> nameTarget(const BookData& book, const NameData& name, SheetData* from);
// The one way the host turns text into cells: a reference ("B2", "$A$1:$C$3", "Sheet2!A1",
// "'My sheet'!A1,C3"), a reference without a sheet being on `from`, or a defined name as `from`
// sees it. nullopt when the text is neither, or names a sheet that does not exist.
std::optional<Target> resolveReference(SheetData& from, std::string_view text);

// Workbook files (JSON). Reading refuses a damaged file with 1004 naming the file and the line
// and column of the fault; writing replaces the file only once the new one is complete.
std::shared_ptr<BookData> readWorkbookFile(AppState& app, const std::string& path);
void writeWorkbookFile(const AppState& app, const BookData& book, const std::string& path);
// The macro project name a workbook file declares ("" when it has none or is no workbook).
std::string projectNameOfFile(const std::string& path);
// Saves (WorkbookBeforeSave first): to target, else to the workbook's file, else under its name
// in the default folder. false when a handler cancelled.
bool saveBook(BookData& book, const std::optional<std::string>& target, bool saveAsUi);
// Opens a file as a workbook and registers it (no events).
std::shared_ptr<BookData> loadBook(AppState& app, const std::string& path, bool asAddin);
// Goes to a hyperlink's target, then raises SheetFollowHyperlink.
void followLink(SheetData& sheet, std::uint64_t linkId);

// Raising the host's errors.
[[noreturn]] void fail(long number, const std::string& description);
[[noreturn]] void failObjectGone();
inline constexpr const char* kProtectedMessage =
    "The cell or chart you're trying to change is on a protected sheet. To make a change, "
    "unprotect the sheet. You might be requested to enter a password.";

// The host's cell entry: how typed text becomes a value (and a number format it implies).
struct Entry {
    Variant value;
    std::string impliedFormat;  // "" when the text implies none
    bool isFormula = false;
    std::string formulaText;  // after "="
};
Entry readEntry(std::string_view text);

// The shown text of a value under a number format.
std::string displayText(const Variant& value, const std::string& numberFormat);

// The areas a range covers, clipped to the cells that exist, row by row.
std::vector<CellKey> existingKeys(SheetData& sheet, const std::vector<Area>& areas);

// Changes the style of every cell of the areas (of the existing ones only, for areas too large
// to hold cell by cell).
void editStyles(SheetData& sheet, const std::vector<Area>& areas,
                const std::function<void(Style&)>& edit);
// A property read over the cells of the areas: its value when all cells agree, else Null.
// The reader gets nullptr for a cell that does not exist (the default style).
Variant uniform(SheetData& sheet, const std::vector<Area>& areas,
                const std::function<Variant(const Cell*)>& read);

}  // namespace kavex::sheet::detail
