#pragma once

namespace kavex::forms {

// The runtime's mouse pointers the add-in sets.
inline constexpr int vbDefault = 0;
inline constexpr int vbArrow = 1;
inline constexpr int vbHourglass = 11;
inline constexpr int vbCustom = 99;

// The runtime's Screen object: the mouse pointer shown over every form of the application.
class Screen {
  public:
    int MousePointer() const { return mousePointer_; }
    // 0 to 15 are the standard pointers, 99 a custom one; any other value fails with error 380
    // "Invalid property value" and the pointer stays as it was.
    void setMousePointer(int pointer);
    // Back to the default pointer (a fresh program run, a new script).
    void reset() { mousePointer_ = vbDefault; }

  private:
    int mousePointer_ = vbDefault;
};

// The one Screen of the program.
Screen& screen();

}  // namespace kavex::forms
