#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/forms/StdFont.h"

namespace kavex::forms {

class Form;

enum class ControlKind {
    Label,
    TextBox,
    ComboBox,
    ListBox,
    OptionButton,
    CheckBox,
    CommandButton,
    Line,
    Image,
    Frame,
    ProgressBar,
};

std::string_view controlKindName(ControlKind kind);

// Position and size in form units; a Line uses X1, Y1, X2, Y2.
struct ControlLayout {
    double Left = 0, Top = 0, Width = 0, Height = 0;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// One control of a form. Every kind carries the same properties; each kind gives them the meaning
// the dialog runtime does:
// - TextBox: Text (= Value); setting a different text raises Change.
// - ComboBox / ListBox: List, ListCount, ListIndex (-1 none), AddItem, RemoveItem, Clear; Text is
//   the chosen row (or what was typed into a combo). Choosing a row raises Change, then Click.
// - OptionButton / CheckBox: Value True/False; becoming True raises Change then Click, and an
//   option button clears the other option buttons of its group (its container).
// - CommandButton: click() raises Click.
// - ProgressBar: Min, Max and a numeric Value within them.
// - Label, Frame, Image, Line: Caption, Picture, layout only.
// Invalid settings fail as the runtime does: 380 "Invalid property value", 381 "Invalid property
// array index".
class Control {
  public:
    Control(Form& form, ControlKind kind, std::string name);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    ControlKind kind() const { return kind_; }
    Form& form() const { return form_; }

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption) { caption_ = std::move(caption); }

    std::string Text() const;
    void setText(const std::string& text);

    base::Variant Value() const;
    void setValue(const base::Variant& value);

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }
    bool Locked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }

    // Lists.
    void AddItem(const std::string& item, std::optional<int> index = std::nullopt);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const { return static_cast<int>(list_.size()); }
    const std::string& List(int index) const;
    void setList(int index, std::string text);
    const std::vector<std::string>& items() const { return list_; }
    int ListIndex() const { return listIndex_; }
    void setListIndex(int index);

    // Progress bars.
    double Min() const { return min_; }
    void setMin(double value);
    double Max() const { return max_; }
    void setMax(double value);

    // Images.
    const std::string& Picture() const { return picture_; }
    void setPicture(std::string path) { picture_ = std::move(path); }

    // The control's own font, the form's font of the moment it was added to start with.
    StdFont& Font() { return font_; }
    const StdFont& Font() const { return font_; }

    long ForeColor() const { return foreColor_; }
    void setForeColor(long color) { foreColor_ = color; }
    const std::string& Tag() const { return tag_; }
    void setTag(std::string tag) { tag_ = std::move(tag); }

    // The option group: the name of the Frame holding the control ("" = the form itself).
    const std::string& Container() const { return container_; }
    void setContainer(std::string frameName) { container_ = std::move(frameName); }

    ControlLayout& layout() { return layout_; }
    const ControlLayout& layout() const { return layout_; }

    // Moves the form's focus here.
    void SetFocus();

    // What the user does: a click (a button's press, a check box's toggle, an option's choice).
    void click();

    // Event handlers, named as the add-in's control_Event procedures.
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

  private:
    void raise(const std::function<void()>& handler);
    void setChecked(bool checked);
    void requireList(std::string_view member) const;

    Form& form_;
    ControlKind kind_;
    std::string name_;
    std::string caption_;
    std::string text_;
    bool checked_ = false;
    double number_ = 0;
    double min_ = 0;
    double max_ = 100;
    bool enabled_ = true;
    bool visible_ = true;
    bool locked_ = false;
    std::vector<std::string> list_;
    int listIndex_ = -1;
    std::string picture_;
    StdFont font_;
    long foreColor_ = 0;
    std::string tag_;
    std::string container_;
    ControlLayout layout_;
    std::function<void()> onClick_;
    std::function<void()> onChange_;
};

}  // namespace kavex::forms
