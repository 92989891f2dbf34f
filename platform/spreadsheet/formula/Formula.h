#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"

namespace kavex::formula {

using base::Variant;

// A rectangle of cells, 1-based. sheet is empty when the formula did not name one (the formula's
// own sheet). Whole columns (D:D) run over rows 1 to MaxRows, whole rows (3:3) over columns 1 to
// MaxColumns.
struct AreaRef {
    std::string sheet;
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;

    bool isSingleCell() const { return firstRow == lastRow && firstColumn == lastColumn; }
    friend bool operator==(const AreaRef&, const AreaRef&) = default;
};

// A formula text that does not parse: position is the 0-based offset in the text after "=" of
// the fault: the unexpected token, the end of the text where a value is missing ("1+"), the "("
// that is never closed, the opening quote of an unterminated text, the name of a built-in called
// with too few or too many arguments. The message says what is wrong in plain words.
class ParseError : public std::runtime_error {
  public:
    ParseError(std::size_t position, const std::string& message)
        : std::runtime_error(message), position_(position) {}
    std::size_t position() const noexcept { return position_; }

  private:
    std::size_t position_;
};

struct Node;  // the parsed tree; defined in the implementation

// One parsed formula. Cheap to copy (the tree is shared and immutable).
class Formula {
  public:
    // Everything the formula reads: cell and area references (sheet names as written, in the
    // order written, corners in order) and the identifiers that are not functions (defined names,
    // as first typed, each once), for dependency tracking. functionNames: every function called,
    // built-in or not, as first typed, each once.
    const std::vector<AreaRef>& references() const { return references_; }
    const std::vector<std::string>& names() const { return names_; }
    const std::vector<std::string>& functionNames() const { return functionNames_; }
    const std::shared_ptr<const Node>& root() const { return root_; }
    // The text it was parsed from (after "="), blanks included.
    const std::string& text() const { return text_; }

    // Set when the whole formula is one call of a function that is not built in and each
    // argument is a reference written out (F(A1), F(A1,Sheet2!B2:C3)): the entry of
    // functionNames() called. The arguments are then references(), in order, and evaluate()
    // gives exactly what callFunction returns for them (#NAME? for nullopt), each argument
    // carrying the value of its area's top-left cell (as readCellValue gives it) and the area.
    // A host may compute such a formula itself without walking the tree.
    std::optional<std::size_t> plainHostCall() const { return plainHostCall_; }

    Formula(std::string text, std::shared_ptr<const Node> root, std::vector<AreaRef> references,
            std::vector<std::string> names, std::vector<std::string> functionNames);

  private:
    std::string text_;
    std::shared_ptr<const Node> root_;
    std::vector<AreaRef> references_;
    std::optional<std::size_t> plainHostCall_;
    std::vector<std::string> names_;
    std::vector<std::string> functionNames_;
};

// Parses the text after the leading "=". Throws ParseError. Blanks between tokens are allowed and
// dropped; built-in names are resolved here, and a built-in's argument count is checked here.
Formula parse(std::string_view text);

// The formula's text without the leading "=", as the host shows it: references and built-in
// function names in upper case; other function names as canonicalName returns them (it may return
// nullopt to keep the name as typed); defined names as typed; text re-quoted; numbers in the
// general form (1E3 -> 1000); parentheses kept; the blanks typed between tokens kept, those at
// the end dropped. Relative references are moved by the offsets (used when rows are sorted or a
// formula is copied); a reference moved off the sheet renders as #REF!. The result always parses
// again.
std::string render(
    const Formula& formula,
    const std::function<std::optional<std::string>(std::string_view)>& canonicalName = {},
    int rowOffset = 0, int columnOffset = 0);

// Whole rows (or, with columns set, whole columns) inserted into or deleted from one sheet:
// count > 0 inserts count lines before line at, count < 0 deletes the lines at .. at - count - 1.
// onSheet tells whether a reference's sheet as written (empty: the formula's own sheet) is the
// edited one.
struct LineEdit {
    bool columns = false;
    int at = 1;
    int count = 0;
    std::function<bool(const std::string& sheet)> onSheet;
};

// Where the lines first..last (rows, or columns for a column edit) of an area go after the edit;
// false when every one of them is deleted or pushed off the sheet. A deleted part of an area is
// cut off; lines inserted inside an area widen it.
bool shiftLines(int& first, int& last, const LineEdit& edit);

// The formula as render shows it after the edit: references to the edited sheet past the edit
// follow their cells, absolute or not; a reference to deleted cells only is #REF!; an area loses
// its deleted lines and widens over lines inserted inside it; a reference pushed off the sheet is
// #REF!.
std::string render(const Formula& formula,
                   const std::function<std::optional<std::string>(std::string_view)>& canonicalName,
                   const LineEdit& edit);

// An argument handed to a function the host does not know: its value (a single cell's value for a
// one-cell reference, the top-left value for a larger area) and, when it was a reference, the area.
struct Argument {
    Variant value;
    std::optional<AreaRef> reference;
};

// What evaluation needs of the workbook around it.
class EvaluationContext {
  public:
    virtual ~EvaluationContext() = default;
    // The value of one cell (sheet empty = the formula's own sheet). Throws nothing; a sheet that
    // does not exist gives the #REF! error value.
    virtual Variant cellValue(const std::string& sheet, int row, int column) = 0;
    // The same as value = cellValue(sheet, row, column). value's storage (a text's buffer) may
    // be reused: a host that stores its values can copy one over without a temporary.
    virtual void readCellValue(const std::string& sheet, int row, int column, Variant& value) {
        value = cellValue(sheet, row, column);
    }
    // Calls visit(row, column) for the cells of an area that may hold something, row by row and
    // left to right, until it returns false. Aggregates skip empty cells, so a host that stores
    // its cells sparsely lists only those it holds, and a formula over a whole sheet costs what
    // the sheet holds, not its size. This default lists every cell of the area.
    virtual void forEachOccupiedCell(const AreaRef& area,
                                     const std::function<bool(int row, int column)>& visit) {
        for (int row = area.firstRow; row <= area.lastRow; ++row) {
            for (int column = area.firstColumn; column <= area.lastColumn; ++column) {
                if (!visit(row, column)) {
                    return;
                }
            }
        }
    }
    // A defined name, resolved for the formula's sheet; nullopt when it does not resolve (#NAME?).
    virtual std::optional<AreaRef> resolveName(const std::string& name) = 0;
    // Whether the name is defined even though it does not resolve (its cells were deleted): its
    // use then gives #REF! rather than #NAME?.
    virtual bool isDefinedName(const std::string& /*name*/) { return false; }
    // Calls a function that is not built in (an add-in's registered function); nullopt when no such
    // function is registered (the formula then gives #NAME?). Names compare without regard to case.
    // name is the very string of the evaluated formula's functionNames() entry for that function
    // (same address), so a host may match it against slots it resolved from that list.
    virtual std::optional<Variant> callFunction(const std::string& name,
                                                const std::vector<Argument>& arguments) = 0;
};

// Evaluates the formula. Built-ins: IF, TRIM, AND, OR, NOT, LEN, VALUE, ROUND, SUM, ABS, ISERROR,
// ISNUMBER, CONCATENATE, IFERROR, UPPER, LOWER, LEFT, RIGHT, MID, MIN, MAX, COUNT, AVERAGE,
// ISBLANK, ISTEXT. Operators + - * / ^ & = <> < > <= >=, unary minus and plus, postfix %,
// parentheses. Text that reads as a number, a date or a time takes part in arithmetic as the
// spreadsheet does; a result that is no finite number is #NUM!; error values propagate. Never
// throws for a formula that parsed (exceptions the context throws pass through). A result that is
// empty because the formula points at an empty cell is 0; what a host function returns is the
// result unchanged. Holds no state between calls, so a host function may evaluate other formulas,
// or this one, while it runs; the Formula object itself must outlive the call (a host that replaces
// a cell's formula during a calculation keeps the old one until then).
//
// rowShift and columnShift evaluate the formula as if copied that far: its relative references
// (those coordinates written without "$") are moved by them, as render moves them. One parsed
// form then serves every cell that holds the same formula moved along; the shifted references
// must stay on the sheet (a host shares a form only where they do).
Variant evaluate(const Formula& formula, EvaluationContext& context, int rowShift = 0,
                 int columnShift = 0);

// True when the name is a built-in function (without regard to case).
bool isBuiltinFunction(std::string_view name);

}  // namespace kavex::formula
