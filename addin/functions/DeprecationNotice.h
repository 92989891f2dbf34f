#pragma once

#include <string_view>

namespace kavex::addin::functions {

// The notice shown once per login to users of the classic worksheet functions.
inline constexpr std::string_view kDeprecationNotice =
    "Kavex has detected that you're using deprecated Kavex Macros supported in previous "
    "version.\r\n\r\nYou're advised to use the new Macros as documented in FAQ section of Kavex "
    "web site.";

// For a classic call (newMacro False) while ShowDeprecatedMacroWarning is set: clears the flag
// first -- so a call that runs while the box is open does not show it again -- then shows the
// notice, modal, titled "Kavex". Does nothing otherwise.
void ShowDeprecationNoticeOnce(bool newMacro);

}  // namespace kavex::addin::functions
