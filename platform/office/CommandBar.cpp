#include "platform/office/CommandBar.h"

#include <algorithm>

#include "platform/base/PlatformError.h"
#include "platform/office/CommandBarControl.h"
#include "platform/office/detail/Hub.h"

namespace kavex::office {

CommandBar::CommandBar(std::weak_ptr<detail::Hub> hub, std::string name, MsoBarPosition position,
                       bool temporary, bool builtIn)
    : hub_(std::move(hub)),
      name_(std::move(name)),
      position_(position),
      temporary_(temporary),
      builtIn_(builtIn),
      controls_(std::make_shared<detail::ControlList>()) {}

void CommandBar::attach() {
    controls_->hub = hub_;
    controls_->bar = weak_from_this();
}

void CommandBar::checkAlive() const {
    if (deleted_) {
        throw base::PlatformError(ObjectDeletedError, "Automation error");
    }
}

const std::string& CommandBar::Name() const {
    checkAlive();
    return name_;
}

MsoBarPosition CommandBar::Position() const {
    checkAlive();
    return position_;
}

void CommandBar::setPosition(MsoBarPosition position) {
    checkAlive();
    position_ = position;
}

bool CommandBar::BuiltIn() const {
    checkAlive();
    return builtIn_;
}

bool CommandBar::Temporary() const {
    checkAlive();
    return temporary_;
}

int CommandBar::Index() const {
    checkAlive();
    const auto hub = hub_.lock();
    if (!hub) {
        return 0;
    }
    const auto it = std::find_if(hub->bars.begin(), hub->bars.end(),
                                 [this](const auto& bar) { return bar.get() == this; });
    return it == hub->bars.end() ? 0 : static_cast<int>(it - hub->bars.begin()) + 1;
}

bool CommandBar::Visible() const {
    checkAlive();
    return visible_;
}

void CommandBar::setVisible(bool visible) {
    checkAlive();
    if (position_ == MsoBarPosition::Popup) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
    visible_ = visible;
}

bool CommandBar::Enabled() const {
    checkAlive();
    return enabled_;
}

void CommandBar::setEnabled(bool enabled) {
    checkAlive();
    enabled_ = enabled;
}

CommandBarControls CommandBar::Controls() const {
    checkAlive();
    return CommandBarControls(controls_);
}

std::shared_ptr<CommandBarControl> CommandBar::FindControl(std::string_view tag) const {
    checkAlive();
    std::vector<std::shared_ptr<CommandBarControl>> found;
    findControlsByTag(controls_->items, tag, true, found);
    return found.empty() ? nullptr : found.front();
}

void CommandBar::markDeleted() {
    deleted_ = true;
    controls_->deleted = true;
    const auto items = std::move(controls_->items);
    controls_->items.clear();
    for (const auto& item : items) {
        item->markDeleted();
    }
}

void CommandBar::Delete() {
    checkAlive();
    if (builtIn_) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
    const auto self = shared_from_this();
    if (const auto hub = hub_.lock()) {
        auto& bars = hub->bars;
        bars.erase(std::remove(bars.begin(), bars.end(), self), bars.end());
    }
    markDeleted();
}

}  // namespace kavex::office
