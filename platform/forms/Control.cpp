#include "platform/forms/Control.h"

#include <algorithm>

#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/forms/Form.h"

namespace kavex::forms {

namespace {

[[noreturn]] void invalidValue() {
    throw base::PlatformError(380, "Invalid property value");
}
[[noreturn]] void invalidIndex() {
    throw base::PlatformError(381, "Invalid property array index");
}
[[noreturn]] void unsupported() {
    throw base::PlatformError(438, "Object doesn't support this property or method");
}

// The first row that reads as the text (letter case aside); -1 when none does.
int rowReading(const std::vector<std::string>& rows, std::string_view text) {
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const std::string& row) {
        return base::equalsIgnoringCase(row, text);
    });
    return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

bool isList(ControlKind kind) {
    return kind == ControlKind::ComboBox || kind == ControlKind::ListBox;
}

bool hasCaption(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
        case ControlKind::OptionButton:
        case ControlKind::CheckBox:
        case ControlKind::CommandButton:
        case ControlKind::Frame:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string_view controlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "Label";
        case ControlKind::TextBox:
            return "TextBox";
        case ControlKind::ComboBox:
            return "ComboBox";
        case ControlKind::ListBox:
            return "ListBox";
        case ControlKind::OptionButton:
            return "OptionButton";
        case ControlKind::CheckBox:
            return "CheckBox";
        case ControlKind::CommandButton:
            return "CommandButton";
        case ControlKind::Line:
            return "Line";
        case ControlKind::Image:
            return "Image";
        case ControlKind::Frame:
            return "Frame";
        case ControlKind::ProgressBar:
            return "ProgressBar";
    }
    return "Control";
}

Control::Control(Form& form, ControlKind kind, std::string name)
    : form_(form), kind_(kind), name_(std::move(name)), font_(form.Font()) {}

void Control::raise(const std::function<void()>& handler) {
    if (handler) {
        // A handler may replace itself (or unload the form); run a copy.
        const std::function<void()> copy = handler;
        copy();
    }
}

std::string Control::Text() const {
    if (hasCaption(kind_)) {
        return caption_;
    }
    return text_;
}

void Control::setText(const std::string& text) {
    switch (kind_) {
        case ControlKind::TextBox:
            if (text != text_) {
                text_ = text;
                raise(onChange_);
            }
            return;
        case ControlKind::ComboBox: {
            // Typing into a combo box selects the row that reads the same.
            const int index = rowReading(list_, text);
            const bool changed = text != text_ || index != listIndex_;
            text_ = index >= 0 ? list_[static_cast<std::size_t>(index)] : text;
            listIndex_ = index;
            if (changed) {
                raise(onChange_);
            }
            return;
        }
        case ControlKind::ListBox: {
            const int index = rowReading(list_, text);
            if (index < 0) {
                invalidValue();
            }
            setListIndex(index);
            return;
        }
        default:
            unsupported();
    }
}

base::Variant Control::Value() const {
    switch (kind_) {
        case ControlKind::TextBox:
        case ControlKind::ComboBox:
            return base::Variant(text_);
        case ControlKind::ListBox:
            return listIndex_ < 0 ? base::Variant::null() : base::Variant(text_);
        case ControlKind::OptionButton:
        case ControlKind::CheckBox:
            return base::Variant(checked_);
        case ControlKind::ProgressBar:
            return base::Variant(number_);
        case ControlKind::CommandButton:
            return base::Variant(false);
        default:
            return base::Variant();
    }
}

void Control::setValue(const base::Variant& value) {
    switch (kind_) {
        case ControlKind::TextBox:
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
            setText(value.isNull() ? std::string() : base::CStr(value));
            return;
        case ControlKind::OptionButton:
        case ControlKind::CheckBox:
            setChecked(base::CBool(value));
            return;
        case ControlKind::ProgressBar: {
            const double number = base::CDbl(value);
            if (number < min_ || number > max_) {
                invalidValue();
            }
            number_ = number;
            return;
        }
        case ControlKind::CommandButton:
            if (base::CBool(value)) {
                raise(onClick_);
            }
            return;
        default:
            unsupported();
    }
}

void Control::setChecked(bool checked) {
    if (checked == checked_) {
        return;
    }
    checked_ = checked;
    if (kind_ == ControlKind::OptionButton && checked) {
        // Only one option of a group is chosen.
        for (const auto& other : form_.controls()) {
            if (other.get() != this && other->kind_ == ControlKind::OptionButton &&
                base::equalsIgnoringCase(other->container_, container_) && other->checked_) {
                other->checked_ = false;
                other->raise(other->onChange_);
            }
        }
    }
    raise(onChange_);
    if (checked || kind_ == ControlKind::CheckBox) {
        raise(onClick_);
    }
}

void Control::requireList(std::string_view /*member*/) const {
    if (!isList(kind_)) {
        unsupported();
    }
}

void Control::AddItem(const std::string& item, std::optional<int> index) {
    requireList("AddItem");
    if (!index) {
        list_.push_back(item);
        return;
    }
    if (*index < 0 || *index > ListCount()) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
    list_.insert(list_.begin() + *index, item);
    if (listIndex_ >= *index) {
        ++listIndex_;
    }
}

void Control::RemoveItem(int index) {
    requireList("RemoveItem");
    if (index < 0 || index >= ListCount()) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
    list_.erase(list_.begin() + index);
    if (listIndex_ == index) {
        listIndex_ = -1;
        if (kind_ == ControlKind::ListBox) {
            text_.clear();
        }
    } else if (listIndex_ > index) {
        --listIndex_;
    }
}

void Control::Clear() {
    requireList("Clear");
    list_.clear();
    listIndex_ = -1;
    text_.clear();
}

const std::string& Control::List(int index) const {
    requireList("List");
    if (index < 0 || index >= ListCount()) {
        invalidIndex();
    }
    return list_[static_cast<std::size_t>(index)];
}

void Control::setList(int index, std::string text) {
    requireList("List");
    if (index < 0 || index >= ListCount()) {
        invalidIndex();
    }
    list_[static_cast<std::size_t>(index)] = std::move(text);
    if (index == listIndex_) {
        text_ = list_[static_cast<std::size_t>(index)];
    }
}

void Control::setListIndex(int index) {
    requireList("ListIndex");
    if (index < -1 || index >= ListCount()) {
        invalidValue();
    }
    if (index == listIndex_) {
        return;
    }
    listIndex_ = index;
    text_ = index < 0 ? std::string() : list_[static_cast<std::size_t>(index)];
    raise(onChange_);
    raise(onClick_);
}

void Control::setMin(double value) {
    if (value > max_) {
        invalidValue();
    }
    min_ = value;
    number_ = std::max(number_, min_);
}

void Control::setMax(double value) {
    if (value < min_) {
        invalidValue();
    }
    max_ = value;
    number_ = std::min(number_, max_);
}

void Control::SetFocus() {
    if (!enabled_ || !visible_) {
        throw base::PlatformError(2110,
                                  "Can't move focus to the control because it is invisible, "
                                  "not enabled, or of a type that does not accept the focus.");
    }
    form_.setActiveControl(this);
}

void Control::click() {
    switch (kind_) {
        case ControlKind::CheckBox:
            setChecked(!checked_);
            return;
        case ControlKind::OptionButton:
            if (checked_) {
                raise(onClick_);
            } else {
                setChecked(true);
            }
            return;
        default:
            raise(onClick_);
    }
}

}  // namespace kavex::forms
