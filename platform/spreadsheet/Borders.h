#pragma once

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// The borders of cells as one collection: setting Weight or Color sets every edge.
class Borders {
  public:
    explicit Borders(Range range) : range_(std::move(range)) {}

    Variant weight() const;  // xlThin (2) unless set
    void setWeight(int weight);
    Variant color() const;  // 0 unless set
    void setColor(long color);

  private:
    Range range_;
};

}  // namespace kavex::sheet
