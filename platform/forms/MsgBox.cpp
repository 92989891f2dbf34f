#include "platform/forms/MsgBox.h"

#include <array>

#include "platform/base/Text.h"
#include "platform/forms/DialogDriver.h"

namespace kavex::forms {

namespace {
struct ButtonName {
    int result;
    std::string_view name;
};
constexpr std::array<ButtonName, 7> ButtonNames{{{vbOK, "OK"},
                                                 {vbCancel, "Cancel"},
                                                 {vbAbort, "Abort"},
                                                 {vbRetry, "Retry"},
                                                 {vbIgnore, "Ignore"},
                                                 {vbYes, "Yes"},
                                                 {vbNo, "No"}}};
}  // namespace

std::vector<int> messageBoxButtons(int style) {
    switch (style & 0xF) {
        case vbOKCancel:
            return {vbOK, vbCancel};
        case vbAbortRetryIgnore:
            return {vbAbort, vbRetry, vbIgnore};
        case vbYesNoCancel:
            return {vbYes, vbNo, vbCancel};
        case vbYesNo:
            return {vbYes, vbNo};
        case vbRetryCancel:
            return {vbRetry, vbCancel};
        default:
            return {vbOK};
    }
}

int defaultButton(int style) {
    const std::vector<int> buttons = messageBoxButtons(style);
    const std::size_t index = static_cast<std::size_t>((style & 0xF00) >> 8);
    return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string_view buttonName(int result) {
    for (const auto& button : ButtonNames) {
        if (button.result == result) {
            return button.name;
        }
    }
    return {};
}

int buttonFromName(std::string_view name) {
    for (const auto& button : ButtonNames) {
        if (base::equalsIgnoringCase(name, button.name)) {
            return button.result;
        }
    }
    return 0;
}

int MsgBox(std::string_view prompt, int style, std::string_view title) {
    return dialogDriver().messageBox(prompt, style, title);
}

}  // namespace kavex::forms
