#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/spreadsheet/Comment.h"
#include "platform/spreadsheet/Forward.h"
#include "platform/spreadsheet/Hyperlinks.h"
#include "platform/spreadsheet/Names.h"
#include "platform/spreadsheet/OLEObjects.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// A worksheet, as a handle: copies name the same sheet. A default-constructed Worksheet is
// Nothing; a sheet whose workbook was closed raises 424 when used.
class Worksheet {
  public:
    Worksheet() = default;
    explicit Worksheet(std::shared_ptr<detail::SheetData> sheet) : sheet_(std::move(sheet)) {}

    bool isNothing() const { return sheet_ == nullptr; }
    explicit operator bool() const { return !isNothing(); }

    std::string name() const;
    void setName(const std::string& name);
    Workbook parent() const;
    int index() const;  // 1-based position in its workbook

    // An address ("A1", "$A$1:$B$3") or a defined name: the sheet's own name first, then a
    // workbook name that refers to this sheet. 1004 when it does not resolve.
    Range range(std::string_view reference) const;
    Range range(const Range& cell1, const Range& cell2) const;
    Range cells(int row, int column) const;
    Range cells() const;  // every cell
    Range rows(int row) const;
    Range columns(int column) const;
    // The rectangle from the first to the last cell holding content or formatting; A1 when
    // the sheet is blank.
    Range usedRange() const;
    // Grows with every edit of the sheet (contents, looks, links, comments, rows) and of its
    // workbook's names, and whenever recalculation changes the value a cell of the sheet shows,
    // whatever made it recalculate. Equal counts mean an unchanged sheet.
    std::uint64_t changeCount() const;
    // The part of changeCount that recalculation made: a caller that edited the sheet itself
    // tells by it whether values moved besides its own edits.
    std::uint64_t recalculationCount() const;

    // Activates the sheet (and its workbook): SheetDeactivate of the sheet left, SheetActivate.
    void activate();
    void select() { activate(); }

    void protect(const std::string& password = "");
    // 1004 when the sheet is protected with another password.
    void unprotect(const std::string& password = "");
    bool protectContents() const;

    Names names() const;
    Hyperlinks hyperlinks() const;
    Comments comments() const;
    OLEObjects oleObjects() const;
    void calculate();  // the sheet's cells waiting for recalculation

    friend bool operator==(const Worksheet& a, const Worksheet& b) { return a.sheet_ == b.sheet_; }

    // Internal.
    const std::shared_ptr<detail::SheetData>& sheetData() const { return sheet_; }
    detail::SheetData& live() const;

  private:
    std::shared_ptr<detail::SheetData> sheet_;
};

// The worksheets of a workbook, in tab order.
class Worksheets {
  public:
    explicit Worksheets(std::shared_ptr<detail::BookData> book) : book_(std::move(book)) {}

    int count() const;
    Worksheet item(int index) const;  // 1-based; 9 "Subscript out of range" when outside
    Worksheet item(std::string_view name) const;  // without regard to case; 9 when absent
    // Adds a sheet after the last one ("SheetN" when no name is given); it does not activate it.
    Worksheet add(const std::string& name = "");

  private:
    std::shared_ptr<detail::BookData> book_;
};

}  // namespace kavex::sheet
