#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// A defined name of a workbook, workbook-level or sheet-level.
class Name {
  public:
    Name() = default;
    Name(std::shared_ptr<detail::BookData> book, std::uint64_t id)
        : book_(std::move(book)), id_(id) {}

    bool isNothing() const { return book_ == nullptr; }
    explicit operator bool() const { return !isNothing(); }

    // "X" for a workbook-level name, "Sheet1!X" for a sheet-level one.
    std::string name() const;
    std::string refersTo() const;  // "=Sheet1!$A$1:$B$3"
    void setRefersTo(const std::string& refersTo);
    std::string value() const { return refersTo(); }
    // The range the name refers to; 1004 when it refers to no range.
    Range refersToRange() const;
    Worksheet parentSheet() const;  // Nothing for a workbook-level name
    void delete_();

  private:
    std::shared_ptr<detail::BookData> book_;
    std::uint64_t id_ = 0;
};

// The names of a workbook (all of them), or of one sheet (its sheet-level names).
class Names {
  public:
    Names(std::shared_ptr<detail::BookData> book, std::shared_ptr<detail::SheetData> sheet)
        : book_(std::move(book)), sheet_(std::move(sheet)) {}

    int count() const;
    Name item(int index) const;  // 1-based
    // By name, without regard to case. A sheet's collection: its own name first, then the
    // workbook-level one; a workbook's: "Sheet1!X", or the workbook-level name first, then the
    // active sheet's own. 1004 when not found.
    Name item(std::string_view name) const;
    // "Sheet1!X" (or any name added through a sheet's collection) makes a sheet-level name.
    // refersTo is "=Sheet1!$A$1" or a constant formula such as "=\"Watch List\"".
    Name add(const std::string& name, const std::string& refersTo);

  private:
    std::shared_ptr<detail::BookData> book_;
    std::shared_ptr<detail::SheetData> sheet_;
};

}  // namespace kavex::sheet
