#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kavex::forms {

class Form;

// A dialog nobody can answer (a modal box or form without a queued answer, an answer the box does
// not offer, an action naming a control the form lacks). It is a failure of the test or scenario,
// not of the add-in: it is not a platform error, and the scripted driver also keeps it so that a
// caller that swallowed it is still found out. origin names the script line that queued the
// offending answer or action, when one did; the scripted driver also ends the reason with it.
class DialogFailure : public std::runtime_error {
  public:
    explicit DialogFailure(const std::string& reason, std::string origin = {})
        : std::runtime_error(reason), origin_(std::move(origin)) {}
    const std::string& origin() const noexcept { return origin_; }

  private:
    std::string origin_;
};

// Who answers the dialogs: a person at the terminal or a script.
class DialogDriver {
  public:
    virtual ~DialogDriver() = default;

    // Answers a message box; returns the result (vbOK, vbYes, ...).
    virtual int messageBox(std::string_view prompt, int style, std::string_view title) = 0;
    // Acts on a form that has just been shown and activated. For a modal form the driver must
    // have hidden or unloaded it when it returns.
    virtual void formShown(Form& form, bool modal) = 0;
    // The Save As dialog: the chosen file, or nullopt when it was cancelled.
    virtual std::optional<std::string> saveAsFilename(std::string_view initialName,
                                                      std::string_view filter,
                                                      std::string_view title) = 0;
};

// The process-wide driver: a ScriptedDriver until another is installed.
DialogDriver& dialogDriver();
void setDialogDriver(std::shared_ptr<DialogDriver> driver);

}  // namespace kavex::forms
