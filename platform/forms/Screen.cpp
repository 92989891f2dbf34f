#include "platform/forms/Screen.h"

#include "platform/base/PlatformError.h"

namespace kavex::forms {

void Screen::setMousePointer(int pointer) {
    if ((pointer < 0 || pointer > 15) && pointer != vbCustom) {
        throw base::PlatformError(380, "Invalid property value");
    }
    mousePointer_ = pointer;
}

Screen& screen() {
    static Screen theScreen;
    return theScreen;
}

}  // namespace kavex::forms
