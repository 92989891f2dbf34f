#include "platform/office/CommandBarButton.h"

#include "platform/office/detail/Hub.h"

namespace kavex::office {

MsoButtonStyle CommandBarButton::Style() const {
    checkAlive();
    return style_;
}

void CommandBarButton::setStyle(MsoButtonStyle style) {
    checkAlive();
    style_ = style;
}

int CommandBarButton::FaceId() const {
    checkAlive();
    return faceId_;
}

void CommandBarButton::setFaceId(int faceId) {
    checkAlive();
    faceId_ = faceId;
}

void CommandBarButton::setOnClick(ClickHandler handler) {
    checkAlive();
    onClick_ = std::move(handler);
}

bool CommandBarButton::click() {
    checkAlive();
    if (!reachable()) {
        return false;
    }
    // The handlers may delete this button, its bar, or rebind handlers: work on copies and keep
    // the button alive until the click is over.
    const auto self = std::static_pointer_cast<CommandBarButton>(shared_from_this());
    const auto hub = this->hub();
    const std::string tag = Tag();
    const std::string macro = OnAction();
    bool cancelDefault = false;
    if (const ClickHandler own = onClick_) {
        own(self, cancelDefault);
    }
    if (!hub) {
        return true;
    }
    if (!tag.empty()) {
        const auto it = hub->clickHandlers.find(tag);
        if (it != hub->clickHandlers.end()) {
            const ClickHandler bound = it->second;
            bound(self, cancelDefault);
        }
    }
    if (!macro.empty() && hub->macroRunner) {
        const MacroRunner runner = hub->macroRunner;
        runner(macro);
    }
    return true;
}

}  // namespace kavex::office
