#pragma once

namespace kavex::forms {

// The mouse pointers a program may ask for (the runtime's MousePointerConstants used here).
inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;

// The runtime's Screen object: the mouse pointer shown over the program's windows. Nothing is
// drawn here; the value is kept so that what a program asked for can be read back.
class ScreenObject {
  public:
    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int pointer) { mousePointer_ = pointer; }

  private:
    int mousePointer_ = vbDefault;
};

// The one Screen of the process.
ScreenObject& Screen();

}  // namespace kavex::forms
