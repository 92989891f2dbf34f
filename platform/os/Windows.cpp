#include "platform/os/Windows.h"

#include <cstring>

namespace kavex::os {

namespace {
constexpr HWND ExcelMainWindow = 0x00010010;

struct WindowState {
    HWND active = ExcelMainWindow;
    std::vector<HWND> calls;
};

WindowState& windows() {
    static WindowState state;
    return state;
}
}  // namespace

int GetVersionExA(OsVersionInfo* info) {
    if (info == nullptr || (info->dwOSVersionInfoSize != 148 && info->dwOSVersionInfoSize != 156)) {
        return 0;
    }
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 2;
    info->dwBuildNumber = 9200;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return 1;
}

HWND excelMainWindow() {
    return ExcelMainWindow;
}

HWND SetActiveWindow(HWND window) {
    auto& state = windows();
    state.calls.push_back(window);
    const HWND previous = state.active;
    state.active = window;
    return previous;
}

HWND activeWindow() {
    return windows().active;
}

const std::vector<HWND>& activeWindowCalls() {
    return windows().calls;
}

void resetWindows() {
    windows() = WindowState{};
}

}  // namespace kavex::os
