#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kavex::browser {

// Whether Navigate hands addresses to the desktop's opener; off unless the command line asks.
void setHandToDesktop(bool on);
bool handsToDesktop();

// Only web addresses go to the desktop: "http://" or "https://" followed by a host, without
// blanks or control characters. Anything else (a file, a command-line option, a script) is
// recorded but never handed over.
bool isWebAddress(std::string_view address);

// How an address reaches the desktop: by default xdg-open started directly (no shell), the
// address its one argument, not waited for. Tests replace it. Returns false when it could not
// be started.
using DesktopOpenerFunction = std::function<bool(const std::string& address)>;
void setDesktopOpener(DesktopOpenerFunction opener);
// Hands a web address over now, whatever the switch; false when it was not a web address or the
// opener failed.
bool openInDesktop(const std::string& address);

}  // namespace kavex::browser
