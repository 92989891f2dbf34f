#pragma once

#include <string>

#include "platform/spreadsheet/Characters.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// The text frame of a comment's box: spans of the text and the auto-size flag.
class TextFrame {
  public:
    explicit TextFrame(Range cell) : cell_(std::move(cell)) {}
    Characters characters(int start = 1, int length = -1) const;
    bool autoSize() const;
    void setAutoSize(bool autoSize);

  private:
    Range cell_;
};

class Shape {
  public:
    explicit Shape(Range cell) : cell_(std::move(cell)) {}
    TextFrame textFrame() const { return TextFrame(cell_); }

  private:
    Range cell_;
};

// The comment (note) of one cell. A default-constructed Comment is Nothing.
class Comment {
  public:
    Comment() = default;
    explicit Comment(Range cell) : cell_(std::move(cell)) {}

    bool isNothing() const { return cell_.isNothing(); }
    explicit operator bool() const { return !isNothing(); }

    std::string text() const;
    void setText(const std::string& text);
    Shape shape() const { return Shape(cell_); }
    Range parent() const { return cell_; }
    void delete_();

  private:
    Range cell_;
};

// The comments of a sheet, row by row.
class Comments {
  public:
    explicit Comments(Worksheet sheet);
    int count() const;
    Comment item(int index) const;  // 1-based

  private:
    std::shared_ptr<detail::SheetData> sheet_;
};

}  // namespace kavex::sheet
