#pragma once

#include <cstdint>
#include <vector>

namespace kavex::os {

// OSVERSIONINFOA: dwOSVersionInfoSize must be 148 (or 156 for the extended record).
struct OsVersionInfo {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

// Nonzero on success: an NT-family system (6.2, build 9200, as an application without a
// compatibility manifest is told).
int GetVersionExA(OsVersionInfo* info);

using HWND = std::uint32_t;

// The spreadsheet application's main window.
HWND excelMainWindow();

// Makes a window the active one; returns the previously active window. Every call is recorded.
HWND SetActiveWindow(HWND window);
HWND activeWindow();
const std::vector<HWND>& activeWindowCalls();
void resetWindows();

}  // namespace kavex::os
