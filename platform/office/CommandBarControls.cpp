#include "platform/office/CommandBarControls.h"

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/office/CommandBarButton.h"
#include "platform/office/CommandBarComboBox.h"
#include "platform/office/CommandBarPopup.h"
#include "platform/office/detail/Hub.h"

namespace kavex::office {

namespace {

[[noreturn]] void invalidArgument() {
    throw base::PlatformError(base::errors::InvalidProcedureCall,
                              "Invalid procedure call or argument");
}

// Captions compare without regard to case or the "&" that marks an access key.
std::string captionKey(std::string_view caption) {
    std::string key;
    for (const char c : caption) {
        if (c != '&') {
            key += base::toLowerAscii(c);
        }
    }
    return key;
}

std::shared_ptr<CommandBarControl> makeControl(MsoControlType type, int id, bool temporary,
                                               bool builtIn) {
    switch (type) {
        case MsoControlType::Button:
            return std::make_shared<CommandBarButton>(id, temporary, builtIn);
        case MsoControlType::Edit:
        case MsoControlType::DropDown:
        case MsoControlType::ComboBox:
            return std::make_shared<CommandBarComboBox>(type, id, temporary, builtIn);
        case MsoControlType::Popup:
            return std::make_shared<CommandBarPopup>(id, temporary, builtIn);
    }
    invalidArgument();
}

}  // namespace

detail::ControlList& CommandBarControls::list() const {
    if (!list_ || list_->deleted) {
        throw base::PlatformError(ObjectDeletedError, "Automation error");
    }
    return *list_;
}

std::shared_ptr<CommandBarControl> CommandBarControls::insert(
    std::shared_ptr<CommandBarControl> control, int before) {
    detail::ControlList& controls = list();
    const int count = static_cast<int>(controls.items.size());
    if (before == 0) {
        before = count + 1;
    }
    if (before < 1 || before > count + 1) {
        invalidArgument();
    }
    control->parent_ = list_;
    if (const auto popup = std::dynamic_pointer_cast<CommandBarPopup>(control)) {
        popup->attach(controls.hub);
    }
    controls.items.insert(controls.items.begin() + (before - 1), control);
    return control;
}

std::shared_ptr<CommandBarControl> CommandBarControls::Add(MsoControlType type, int id,
                                                           const std::string& parameter, int before,
                                                           bool temporary) {
    list();
    auto control = makeControl(type, id, temporary, false);
    control->parameter_ = parameter;
    return insert(std::move(control), before);
}

std::shared_ptr<CommandBarButton> CommandBarControls::AddButton(int before, bool temporary) {
    return std::static_pointer_cast<CommandBarButton>(
        Add(MsoControlType::Button, 1, {}, before, temporary));
}

std::shared_ptr<CommandBarComboBox> CommandBarControls::AddComboBox(MsoControlType type, int before,
                                                                    bool temporary) {
    if (type != MsoControlType::Edit && type != MsoControlType::DropDown &&
        type != MsoControlType::ComboBox) {
        invalidArgument();
    }
    return std::static_pointer_cast<CommandBarComboBox>(Add(type, 1, {}, before, temporary));
}

std::shared_ptr<CommandBarPopup> CommandBarControls::AddPopup(int before, bool temporary) {
    return std::static_pointer_cast<CommandBarPopup>(
        Add(MsoControlType::Popup, 1, {}, before, temporary));
}

std::shared_ptr<CommandBarControl> CommandBarControls::addBuiltIn(MsoControlType type, int id,
                                                                  std::string caption) {
    auto control = makeControl(type, id, false, true);
    control->caption_ = std::move(caption);
    return insert(std::move(control), 0);
}

int CommandBarControls::Count() const {
    return static_cast<int>(list().items.size());
}

std::shared_ptr<CommandBarControl> CommandBarControls::Item(int index) const {
    const auto& items = list().items;
    if (index < 1 || index > static_cast<int>(items.size())) {
        invalidArgument();
    }
    return items[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<CommandBarControl> CommandBarControls::Item(std::string_view caption) const {
    const std::string key = captionKey(caption);
    for (const auto& item : list().items) {
        if (captionKey(item->caption_) == key) {
            return item;
        }
    }
    invalidArgument();
}

std::vector<std::shared_ptr<CommandBarControl>> CommandBarControls::All() const {
    return list().items;
}

void findControlsByTag(const std::vector<std::shared_ptr<CommandBarControl>>& controls,
                       std::string_view tag, bool firstOnly,
                       std::vector<std::shared_ptr<CommandBarControl>>& found) {
    for (const auto& control : controls) {
        if (firstOnly && !found.empty()) {
            return;
        }
        if (control->Tag() == tag) {
            found.push_back(control);
        }
        if (const auto popup = std::dynamic_pointer_cast<CommandBarPopup>(control)) {
            findControlsByTag(popup->Controls().All(), tag, firstOnly, found);
        }
    }
}

}  // namespace kavex::office
