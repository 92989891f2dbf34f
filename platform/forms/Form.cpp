#include "platform/forms/Form.h"

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/forms/DialogDriver.h"

namespace kavex::forms {

Form::Form(std::string name, std::string caption)
    : name_(std::move(name)), caption_(std::move(caption)) {}

Form::~Form() = default;

Control& Form::add(ControlKind kind, std::string name, std::string caption) {
    if (find(name) != nullptr) {
        throw base::PlatformError(380, "Invalid property value");
    }
    controls_.push_back(std::make_unique<Control>(*this, kind, std::move(name)));
    controls_.back()->setCaption(std::move(caption));
    return *controls_.back();
}

Control* Form::find(std::string_view name) const {
    for (const auto& control : controls_) {
        if (base::equalsIgnoringCase(control->Name(), name)) {
            return control.get();
        }
    }
    return nullptr;
}

Control& Form::control(std::string_view name) const {
    if (Control* found = find(name)) {
        return *found;
    }
    throw base::PlatformError(base::errors::ObjectRequired, "Object required");
}

void Form::Load() {
    if (!loaded_) {
        loaded_ = true;
        Form_Initialize();
    }
}

void Form::Show(int modal) {
    if (modal != vbModal && modal != vbModeless) {
        throw base::PlatformError(base::errors::InvalidProcedureCall,
                                  "Invalid procedure call or argument");
    }
    Load();
    if (visible_ && modal_) {
        // A modal form that is already showing cannot be shown again.
        throw base::PlatformError(400, "Form already displayed; can't show modally");
    }
    visible_ = true;
    modal_ = modal == vbModal;
    Form_Activate();
    if (!visible_) {
        return;  // closed itself while activating
    }
    dialogDriver().formShown(*this, modal_);
}

void Form::Hide() {
    visible_ = false;
}

void Form::Unload() {
    if (!loaded_) {
        return;
    }
    visible_ = false;
    loaded_ = false;
    activeControl_ = nullptr;
    Form_Terminate();
}

}  // namespace kavex::forms
