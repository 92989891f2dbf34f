#include "platform/office/CommandBarPopup.h"

#include "platform/base/PlatformError.h"
#include "platform/office/detail/Hub.h"

namespace kavex::office {

CommandBarPopup::CommandBarPopup(int id, bool temporary, bool builtIn)
    : CommandBarControl(MsoControlType::Popup, id, temporary, builtIn),
      controls_(std::make_shared<detail::ControlList>()) {}

void CommandBarPopup::attach(std::weak_ptr<detail::Hub> hub) {
    controls_->hub = std::move(hub);
    controls_->popup = weak_from_this();
}

CommandBarControls CommandBarPopup::Controls() const {
    checkAlive();
    return CommandBarControls(controls_);
}

void CommandBarPopup::markDeleted() {
    CommandBarControl::markDeleted();
    controls_->deleted = true;
    // Everything inside goes with it.
    const auto items = std::move(controls_->items);
    controls_->items.clear();
    for (const auto& item : items) {
        item->markDeleted();
    }
}

}  // namespace kavex::office
