#include "platform/browser/DesktopOpener.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <vector>

#include "platform/base/Text.h"

extern char** environ;

namespace kavex::browser {

namespace {

bool& handSwitch() {
    static bool on = false;
    return on;
}

// Openers started and not yet reaped; collected without waiting at each new start so that no
// finished opener lingers, and so that a slow one never blocks the host.
std::vector<pid_t>& startedOpeners() {
    static std::vector<pid_t> pids;
    return pids;
}

void reapFinishedOpeners() {
    auto& pids = startedOpeners();
    std::erase_if(pids, [](pid_t pid) {
        int status = 0;
        return waitpid(pid, &status, WNOHANG) != 0;
    });
}

bool startXdgOpen(const std::string& address) {
    reapFinishedOpeners();
    std::string program = "xdg-open";
    std::string argument = address;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    startedOpeners().push_back(pid);
    return true;
}

DesktopOpenerFunction& opener() {
    static DesktopOpenerFunction function = startXdgOpen;
    return function;
}

}  // namespace

void setHandToDesktop(bool on) {
    handSwitch() = on;
}
bool handsToDesktop() {
    return handSwitch();
}

bool isWebAddress(std::string_view address) {
    std::string_view rest;
    if (base::startsWithIgnoringCase(address, "http://")) {
        rest = address.substr(7);
    } else if (base::startsWithIgnoringCase(address, "https://")) {
        rest = address.substr(8);
    } else {
        return false;
    }
    if (rest.empty() || rest.front() == '/') {
        return false;
    }
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

void setDesktopOpener(DesktopOpenerFunction function) {
    opener() = function ? std::move(function) : DesktopOpenerFunction(startXdgOpen);
}

bool openInDesktop(const std::string& address) {
    if (!isWebAddress(address)) {
        return false;
    }
    const DesktopOpenerFunction function = opener();
    return function(address);
}

}  // namespace kavex::browser
