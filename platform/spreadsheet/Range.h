#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Area.h"
#include "platform/spreadsheet/Constants.h"
#include "platform/spreadsheet/Forward.h"

namespace kavex::sheet {

using base::Variant;

// A light value naming one or more rectangles of cells on one worksheet. A default-constructed
// Range is Nothing. A Range never dangles: once its workbook is closed (or its sheet deleted),
// every use raises PlatformError 424.
class Range {
  public:
    Range() = default;
    Range(std::shared_ptr<detail::SheetData> sheet, std::vector<Area> areas);

    bool isNothing() const { return sheet_ == nullptr; }
    explicit operator bool() const { return !isNothing(); }

    Worksheet worksheet() const;  // the object model's Parent
    Application& application() const;

    // Geometry (of the first area unless said otherwise).
    int row() const;
    int column() const;
    long long count() const;  // cells of all areas
    int rowCount() const;     // Rows.Count
    int columnCount() const;  // Columns.Count
    std::string address(bool rowAbsolute = true, bool columnAbsolute = true,
                        bool external = false) const;
    const std::vector<Area>& areas() const { return areas_; }
    int areaCount() const { return static_cast<int>(areas_.size()); }
    Range area(int index) const;  // 1-based

    // Cells(row, column) relative to the first area's top-left cell (1, 1 is that cell).
    Range cells(int row, int column) const;
    Range item(long long index) const;  // 1-based, row by row in the first area
    Range offset(int rows, int columns) const;
    Range resize(int rows, int columns) const;
    Range entireRow() const;
    Range entireColumn() const;
    Range currentRegion() const;
    // xlCellTypeFormulas (-4123) or xlCellTypeConstants (2); on a single cell the sheet's used
    // range is searched. Raises 1004 "No cells were found." when nothing matches.
    Range specialCells(int type) const;
    // For Each over cells (row by row, area by area), rows and columns of the first area.
    std::vector<Range> eachCell() const;
    std::vector<Range> eachRow() const;
    std::vector<Range> eachColumn() const;

    // Content. Value of a multi-cell range reads its top-left cell; writing sets every cell.
    // Text is read as the host's cell entry: "=..." a formula, "12.5", "$1,000.00", "5%" numbers,
    // dates, "TRUE"/"FALSE", "" empties the cell, a leading apostrophe keeps the rest as text.
    Variant value() const;
    void setValue(const Variant& value);
    std::string formula() const;  // "=..." or the constant as text; "" for an empty cell
    void setFormula(std::string_view text);
    bool hasFormula() const;   // true when every cell holds a formula
    std::string text() const;  // the shown text: the value through the number format
    void clearContents();
    void calculate();  // exactly these cells, whatever the calculation mode

    // Look.
    Variant numberFormat() const;  // Null when the cells differ
    void setNumberFormat(const std::string& format);
    Variant wrapText() const;
    void setWrapText(bool wrap);
    Variant locked() const;
    void setLocked(bool locked);
    Variant hidden() const;  // rows: on an entire-row range (or any range, for its rows)
    void setHidden(bool hidden);
    void autoFit() {}  // column widths and row heights are not modelled
    Font font() const;
    Interior interior() const;
    Borders borders() const;
    FormatConditions formatConditions() const;
    Characters characters(int start = 1, int length = -1) const;  // of the first cell's text

    // Notes and links.
    Comment comment() const;                      // Nothing when the cell has none
    Comment addComment(const std::string& text);  // 1004 when the cell has one already
    void clearComments();
    Hyperlinks hyperlinks() const;

    // Actions.
    void select();    // 1004 when the sheet is not the active sheet
    void activate();  // moves the active cell (selects the cell when outside the selection)
    // On whole rows (EntireRow) or whole columns (EntireColumn): deletes them. The rows below
    // move up (the columns to the right move left) with everything they hold; references in the
    // workbook's formulas, names and conditional formats follow their cells, and a reference to
    // a deleted cell becomes #REF!. One SheetChange for the deleted lines. 1004 for a range that
    // is not whole rows or whole columns, on a protected sheet, and during a calculation.
    void delete_();
    // On whole rows or columns: inserts as many blank ones before them; the rows below (columns
    // to the right) move on with everything they hold, references following them. The new lines
    // take the format of the line before them. One SheetChange for the new lines. 1004 as for
    // delete_, and when cells that hold something would be pushed off the end of the sheet.
    void insert();
    // Sorts the rows of the first area by the column of key1. header: xlYes, xlNo, xlGuess.
    void sort(const Range& key1, int order1 = xlAscending, int header = xlNo,
              bool matchCase = false, int orientation = xlTopToBottom);

    friend bool operator==(const Range& a, const Range& b) {
        return a.sheet_ == b.sheet_ && a.areas_ == b.areas_;
    }

    // Internal.
    const std::shared_ptr<detail::SheetData>& sheetData() const { return sheet_; }
    detail::SheetData& live() const;  // raises 424 when the sheet is gone

  private:
    std::shared_ptr<detail::SheetData> sheet_;
    std::vector<Area> areas_;
};

}  // namespace kavex::sheet
