#pragma once

#include <cstdint>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// The fill of cells, or of a conditional format (then conditionId is set).
class Interior {
  public:
    explicit Interior(Range range, std::uint64_t conditionId = 0)
        : range_(std::move(range)), conditionId_(conditionId) {}

    Variant color() const;  // 16777215 (white) when there is no fill
    void setColor(long color);
    Variant colorIndex() const;  // -4142 when there is no fill
    void setColorIndex(int index);

  private:
    Range range_;
    std::uint64_t conditionId_;
};

}  // namespace kavex::sheet
