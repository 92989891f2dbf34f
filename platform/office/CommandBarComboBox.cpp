#include "platform/office/CommandBarComboBox.h"

#include "platform/base/PlatformError.h"
#include "platform/office/detail/Hub.h"

namespace kavex::office {

void CommandBarComboBox::checkIndex(int index, int last) const {
    if (index < 1 || index > last) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
}

void CommandBarComboBox::AddItem(std::string text, int index) {
    checkAlive();
    const int count = static_cast<int>(items_.size());
    if (index == 0) {
        index = count + 1;
    }
    checkIndex(index, count + 1);
    items_.insert(items_.begin() + (index - 1), std::move(text));
    if (listIndex_ >= index) {
        ++listIndex_;
    }
}

void CommandBarComboBox::RemoveItem(int index) {
    checkAlive();
    checkIndex(index, static_cast<int>(items_.size()));
    items_.erase(items_.begin() + (index - 1));
    if (listIndex_ == index) {
        listIndex_ = 0;
        text_.clear();
    } else if (listIndex_ > index) {
        --listIndex_;
    }
}

void CommandBarComboBox::Clear() {
    checkAlive();
    items_.clear();
    listIndex_ = 0;
    text_.clear();
}

int CommandBarComboBox::ListCount() const {
    checkAlive();
    return static_cast<int>(items_.size());
}

const std::string& CommandBarComboBox::List(int index) const {
    checkAlive();
    checkIndex(index, static_cast<int>(items_.size()));
    return items_[static_cast<std::size_t>(index - 1)];
}

void CommandBarComboBox::setList(int index, std::string text) {
    checkAlive();
    checkIndex(index, static_cast<int>(items_.size()));
    items_[static_cast<std::size_t>(index - 1)] = std::move(text);
    if (listIndex_ == index) {
        text_ = items_[static_cast<std::size_t>(index - 1)];
    }
}

int CommandBarComboBox::ListIndex() const {
    checkAlive();
    return listIndex_;
}

void CommandBarComboBox::setListIndex(int index) {
    checkAlive();
    if (index == 0) {
        listIndex_ = 0;
        text_.clear();
        return;
    }
    checkIndex(index, static_cast<int>(items_.size()));
    listIndex_ = index;
    text_ = items_[static_cast<std::size_t>(index - 1)];
}

const std::string& CommandBarComboBox::Text() const {
    checkAlive();
    return text_;
}

void CommandBarComboBox::setText(std::string text) {
    checkAlive();
    listIndex_ = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == text) {
            listIndex_ = static_cast<int>(i) + 1;
            break;
        }
    }
    text_ = std::move(text);
}

void CommandBarComboBox::setOnChange(ChangeHandler handler) {
    checkAlive();
    onChange_ = std::move(handler);
}

void CommandBarComboBox::raiseChange() {
    const auto self = std::static_pointer_cast<CommandBarComboBox>(shared_from_this());
    const auto hub = this->hub();
    const std::string tag = Tag();
    const std::string macro = OnAction();
    if (const ChangeHandler own = onChange_) {
        own(self);
    }
    if (!hub) {
        return;
    }
    if (!tag.empty()) {
        const auto it = hub->changeHandlers.find(tag);
        if (it != hub->changeHandlers.end()) {
            const ChangeHandler bound = it->second;
            bound(self);
        }
    }
    if (!macro.empty() && hub->macroRunner) {
        const MacroRunner runner = hub->macroRunner;
        runner(macro);
    }
}

bool CommandBarComboBox::setListIndexByUser(int index) {
    checkAlive();
    checkIndex(index, static_cast<int>(items_.size()));
    if (!reachable()) {
        return false;
    }
    const std::string before = text_;
    setListIndex(index);
    if (text_ != before) {
        raiseChange();
    }
    return true;
}

bool CommandBarComboBox::setTextByUser(std::string text) {
    checkAlive();
    if (Type() == MsoControlType::DropDown) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
    if (!reachable()) {
        return false;
    }
    const std::string before = text_;
    setText(std::move(text));
    if (text_ != before) {
        raiseChange();
    }
    return true;
}

}  // namespace kavex::office
