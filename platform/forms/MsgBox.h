#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavex::forms {

// Style bits: buttons (0-5), icon, default button, modality.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton1 = 0;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;
inline constexpr int vbApplicationModal = 0;
inline constexpr int vbSystemModal = 4096;
inline constexpr int vbMsgBoxSetForeground = 65536;

// Results.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// The modal message box; the dialog driver answers it.
int MsgBox(std::string_view prompt, int style = vbOKOnly, std::string_view title = {});

// The buttons a style offers, as results, in their order on the box.
std::vector<int> messageBoxButtons(int style);
// The result of the default button of a style.
int defaultButton(int style);
// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"; "" for anything else.
std::string_view buttonName(int result);
// The result a button name stands for (without regard to case); 0 for an unknown name.
int buttonFromName(std::string_view name);

}  // namespace kavex::forms
