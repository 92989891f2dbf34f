#pragma once

#include <string>

#include "platform/spreadsheet/Font.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// A span of a cell's (or a comment's) text: start is 1-based, length -1 runs to the end.
class Characters {
  public:
    Characters(Range range, bool ofComment, int start, int length)
        : range_(std::move(range)), ofComment_(ofComment), start_(start), length_(length) {}

    Font font() const;
    std::string text() const;

  private:
    Range range_;
    bool ofComment_;
    int start_;
    int length_;
};

}  // namespace kavex::sheet
