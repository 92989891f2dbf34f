#pragma once

#include <string>
#include <vector>

#include "platform/browser/Browser.h"

namespace kavex::browser {

// Every address opened in a browser window of this process, in order.
struct OpenedAddress {
    int window = 0;  // Browser::windowNumber()
    std::string address;
    bool handedToDesktop = false;
};

const std::vector<OpenedAddress>& openedAddresses();
// The last address opened, "" when none was.
std::string lastOpenedAddress();
// The windows still open, oldest first.
std::vector<Browser> openBrowserWindows();
// The user closes every browser window: kept objects stop answering.
void closeAllBrowserWindows();
// Forgets the record and closes every window (between tests and scenarios).
void resetBrowserRecord();

}  // namespace kavex::browser
