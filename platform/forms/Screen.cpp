#include "platform/forms/Screen.h"

namespace kavex::forms {

ScreenObject& Screen() {
    static ScreenObject screen;
    return screen;
}

}  // namespace kavex::forms
