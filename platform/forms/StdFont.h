#pragma once

#include <string>

namespace kavex::forms {

// The font of a form or a control, as the dialog runtime's font object has it. A new form starts
// with the runtime's default font; a control added to a form starts with the form's font of that
// moment, and each keeps its own from then on. Invalid settings fail with error 380 "Invalid
// property value": an empty name, a size that is not above 0 or is beyond 2160 points.
class StdFont {
  public:
    static constexpr const char* kDefaultName = "MS Sans Serif";
    static constexpr double kDefaultSize = 8;

    const std::string& Name() const { return name_; }
    void setName(std::string name);
    double Size() const { return size_; }
    void setSize(double points);
    bool Bold() const { return bold_; }
    void setBold(bool bold) { bold_ = bold; }
    bool Italic() const { return italic_; }
    void setItalic(bool italic) { italic_ = italic; }
    bool Underline() const { return underline_; }
    void setUnderline(bool underline) { underline_ = underline; }

    friend bool operator==(const StdFont&, const StdFont&) = default;

  private:
    std::string name_ = kDefaultName;
    double size_ = kDefaultSize;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
};

}  // namespace kavex::forms
