#include "platform/browser/Browser.h"

#include "platform/base/PlatformError.h"
#include "platform/browser/DesktopOpener.h"
#include "platform/browser/detail/Record.h"

namespace kavex::browser {

Browser::Browser() : window_(std::make_shared<detail::Window>()) {
    detail::Record& record = detail::record();
    window_->number = ++record.windowsCreated;
    number_ = window_->number;
    record.windows.push_back(window_);
}

Browser::Browser(std::shared_ptr<detail::Window> window)
    : window_(std::move(window)), number_(window_->number) {}

detail::Window& Browser::window() const {
    if (!window_->open) {
        throw base::PlatformError(
            DisconnectedError,
            "Automation error: the object invoked has disconnected from its clients.");
    }
    return *window_;
}

bool Browser::answers() const {
    return window_->open;
}

void Browser::Navigate(const std::string& address) {
    detail::Window& w = window();
    w.location = address;
    w.readyState = 4;
    OpenedAddress opened{w.number, address, false};
    if (handsToDesktop()) {
        opened.handedToDesktop = openInDesktop(address);
    }
    detail::record().opened.push_back(std::move(opened));
}

const std::string& Browser::LocationURL() const {
    return window().location;
}
int Browser::ReadyState() const {
    return window().readyState;
}
bool Browser::Busy() const {
    window();
    return false;
}

bool Browser::Visible() const {
    return window().visible;
}
void Browser::setVisible(bool visible) {
    window().visible = visible;
}
bool Browser::StatusBar() const {
    return window().statusBar;
}
void Browser::setStatusBar(bool on) {
    window().statusBar = on;
}
bool Browser::MenuBar() const {
    return window().menuBar;
}
void Browser::setMenuBar(bool on) {
    window().menuBar = on;
}
bool Browser::ToolBar() const {
    return window().toolBar;
}
void Browser::setToolBar(bool on) {
    window().toolBar = on;
}
bool Browser::Resizable() const {
    return window().resizable;
}
void Browser::setResizable(bool on) {
    window().resizable = on;
}

void Browser::Quit() {
    window().open = false;
    auto& windows = detail::record().windows;
    std::erase(windows, window_);
}

}  // namespace kavex::browser
