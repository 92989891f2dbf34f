#pragma once

#include <cstdint>
#include <string>

#include "platform/spreadsheet/Interior.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// One conditional format of a range, with its fill.
class FormatCondition {
  public:
    FormatCondition(Range range, std::uint64_t id) : range_(std::move(range)), id_(id) {}

    int type() const;
    int operator_() const;  // the object model's Operator
    std::string formula1() const;
    std::string formula2() const;
    Range appliesTo() const;
    Interior interior() const;
    void delete_();

  private:
    Range range_;
    std::uint64_t id_;
};

// The conditional formats that apply to a range, in the order they were added.
class FormatConditions {
  public:
    explicit FormatConditions(Range range) : range_(std::move(range)) {}

    int count() const;
    FormatCondition item(int index) const;  // 1-based
    FormatCondition add(int type, int operator_ = 0, const std::string& formula1 = "",
                        const std::string& formula2 = "");
    void delete_();  // removes every condition that applies to the range

  private:
    Range range_;
};

}  // namespace kavex::sheet
