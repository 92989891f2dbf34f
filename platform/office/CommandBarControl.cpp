#include "platform/office/CommandBarControl.h"

#include <algorithm>

#include "platform/base/PlatformError.h"
#include "platform/office/CommandBar.h"
#include "platform/office/detail/Hub.h"

namespace kavex::office {

CommandBarControl::CommandBarControl(MsoControlType type, int id, bool temporary, bool builtIn)
    : type_(type), id_(id), temporary_(temporary), builtIn_(builtIn) {}

void CommandBarControl::checkAlive() const {
    if (deleted_) {
        throw base::PlatformError(ObjectDeletedError, "Automation error");
    }
}

std::shared_ptr<detail::Hub> CommandBarControl::hub() const {
    const auto parent = parent_.lock();
    return parent ? parent->hub.lock() : nullptr;
}

bool CommandBarControl::reachable() const {
    if (deleted_ || !enabled_ || !visible_) {
        return false;
    }
    const auto parent = parent_.lock();
    if (!parent) {
        return false;
    }
    if (const auto popup = parent->popup.lock()) {
        return popup->reachable();
    }
    const auto bar = parent->bar.lock();
    return bar && !bar->isDeleted() && bar->Enabled() &&
           (bar->Visible() || bar->Position() == MsoBarPosition::Popup);
}

void CommandBarControl::markDeleted() {
    deleted_ = true;
}

MsoControlType CommandBarControl::Type() const {
    checkAlive();
    return type_;
}

int CommandBarControl::Id() const {
    checkAlive();
    return id_;
}

bool CommandBarControl::BuiltIn() const {
    checkAlive();
    return builtIn_;
}

bool CommandBarControl::Temporary() const {
    checkAlive();
    return temporary_;
}

int CommandBarControl::Index() const {
    checkAlive();
    const auto parent = parent_.lock();
    if (!parent) {
        return 0;
    }
    const auto& items = parent->items;
    const auto it = std::find_if(items.begin(), items.end(),
                                 [this](const auto& item) { return item.get() == this; });
    return it == items.end() ? 0 : static_cast<int>(it - items.begin()) + 1;
}

const std::string& CommandBarControl::Caption() const {
    checkAlive();
    return caption_;
}

void CommandBarControl::setCaption(std::string value) {
    checkAlive();
    caption_ = std::move(value);
}

const std::string& CommandBarControl::Tag() const {
    checkAlive();
    return tag_;
}

void CommandBarControl::setTag(std::string value) {
    checkAlive();
    tag_ = std::move(value);
}

const std::string& CommandBarControl::TooltipText() const {
    checkAlive();
    return tooltipText_;
}

void CommandBarControl::setTooltipText(std::string value) {
    checkAlive();
    tooltipText_ = std::move(value);
}

const std::string& CommandBarControl::Parameter() const {
    checkAlive();
    return parameter_;
}

void CommandBarControl::setParameter(std::string value) {
    checkAlive();
    parameter_ = std::move(value);
}

const std::string& CommandBarControl::OnAction() const {
    checkAlive();
    return onAction_;
}

void CommandBarControl::setOnAction(std::string value) {
    checkAlive();
    onAction_ = std::move(value);
}

bool CommandBarControl::Enabled() const {
    checkAlive();
    return enabled_;
}

void CommandBarControl::setEnabled(bool value) {
    checkAlive();
    enabled_ = value;
}

bool CommandBarControl::Visible() const {
    checkAlive();
    return visible_;
}

void CommandBarControl::setVisible(bool value) {
    checkAlive();
    visible_ = value;
}

bool CommandBarControl::BeginGroup() const {
    checkAlive();
    return beginGroup_;
}

void CommandBarControl::setBeginGroup(bool value) {
    checkAlive();
    beginGroup_ = value;
}

int CommandBarControl::Width() const {
    checkAlive();
    return width_;
}

void CommandBarControl::setWidth(int value) {
    checkAlive();
    width_ = value;
}

void CommandBarControl::Delete() {
    checkAlive();
    // Keep this control alive while it leaves the list that owns it.
    const auto self = shared_from_this();
    if (const auto parent = parent_.lock()) {
        auto& items = parent->items;
        items.erase(std::remove(items.begin(), items.end(), self), items.end());
    }
    markDeleted();
}

}  // namespace kavex::office
