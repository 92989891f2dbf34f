#pragma once

#include <string>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// The font of cells, of a span of a cell's characters, or of a span of a comment's text.
// Getters give Null when the characters or cells covered differ.
class Font {
  public:
    enum class Target { Cells, CellCharacters, CommentCharacters };

    Font(Range range, Target target, int start = 1, int length = -1)
        : range_(std::move(range)), target_(target), start_(start), length_(length) {}

    Variant name() const;
    void setName(const std::string& name);
    Variant size() const;
    void setSize(double size);
    Variant bold() const;
    void setBold(bool bold);
    Variant color() const;  // an RGB value, red in the low byte
    void setColor(long color);
    // An index into the 56-colour palette, -4105 automatic. Index 0 is accepted on spans and
    // shows as automatic (black).
    Variant colorIndex() const;
    void setColorIndex(int index);
    // An xlUnderlineStyle value: -4142 none, 2 single, -4119 double, 4 and 5 accounting.
    Variant underline() const;
    void setUnderline(int style);

  private:
    Range range_;
    Target target_;
    int start_;
    int length_;
};

}  // namespace kavex::sheet
