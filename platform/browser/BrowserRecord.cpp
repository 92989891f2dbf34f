#include "platform/browser/BrowserRecord.h"

#include "platform/browser/detail/Record.h"

namespace kavex::browser {

namespace detail {
Record& record() {
    static Record instance;
    return instance;
}
}  // namespace detail

const std::vector<OpenedAddress>& openedAddresses() {
    return detail::record().opened;
}

std::string lastOpenedAddress() {
    const auto& opened = detail::record().opened;
    return opened.empty() ? std::string() : opened.back().address;
}

std::vector<Browser> openBrowserWindows() {
    std::vector<Browser> windows;
    for (const auto& window : detail::record().windows) {
        windows.push_back(Browser(window));
    }
    return windows;
}

void closeAllBrowserWindows() {
    auto& windows = detail::record().windows;
    for (const auto& window : windows) {
        window->open = false;
    }
    windows.clear();
}

void resetBrowserRecord() {
    closeAllBrowserWindows();
    detail::Record& record = detail::record();
    record.opened.clear();
    record.windowsCreated = 0;
}

}  // namespace kavex::browser
