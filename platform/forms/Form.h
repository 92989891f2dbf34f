#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/Control.h"

namespace kavex::forms {

inline constexpr int vbModeless = 0;
inline constexpr int vbModal = 1;

// A dialog window. The add-in derives its forms from this class, adds the named controls in its
// constructor and binds their handlers (cmdOK_Click, ...); the dialog driver acts on the controls
// by name. Form_Initialize runs when the form is loaded (its first Show, or Load), Form_Activate
// each time it is shown. A modal Show returns when the form is hidden or unloaded; the driver
// answers it (DialogDriver.h).
class Form {
  public:
    explicit Form(std::string name, std::string caption = {});
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption) { caption_ = std::move(caption); }

    // The form's font; controls added from now on start with it.
    StdFont& Font() { return font_; }
    const StdFont& Font() const { return font_; }

    // Adds a control, in the form's font; a second control of the same name fails with error 380.
    Control& add(ControlKind kind, std::string name, std::string caption = {});
    // The control of that name (without regard to case); error 424 when there is none.
    Control& control(std::string_view name) const;
    Control* find(std::string_view name) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

    void Load();
    void Show(int modal = vbModal);
    void Hide();
    void Unload();

    bool isLoaded() const { return loaded_; }
    bool Visible() const { return visible_; }
    bool isModal() const { return modal_; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    // The control that has the focus (nullptr when none was given it).
    Control* activeControl() const { return activeControl_; }
    void setActiveControl(Control* control) { activeControl_ = control; }

  protected:
    virtual void Form_Initialize() {}
    virtual void Form_Activate() {}
    // Runs when the form is unloaded.
    virtual void Form_Terminate() {}

  private:
    std::string name_;
    std::string caption_;
    StdFont font_;
    std::vector<std::unique_ptr<Control>> controls_;
    Control* activeControl_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
    bool modal_ = false;
    bool enabled_ = true;
};

}  // namespace kavex::forms
