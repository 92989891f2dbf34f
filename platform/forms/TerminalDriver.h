#pragma once

#include <istream>
#include <ostream>

#include "platform/forms/DialogDriver.h"

namespace kavex::forms {

// Answers dialogs through a terminal: prints the message box (title, prompt, buttons) and reads the
// button's name or number (an empty line takes the default button); prints a form's controls and
// reads actions ("set NAME VALUE", "choose NAME INDEX", "option NAME", "click NAME") until a modal
// form closes. End of input is a DialogFailure.
class TerminalDriver : public DialogDriver {
  public:
    TerminalDriver(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    int messageBox(std::string_view prompt, int style, std::string_view title) override;
    void formShown(Form& form, bool modal) override;
    std::optional<std::string> saveAsFilename(std::string_view initialName, std::string_view filter,
                                              std::string_view title) override;

  private:
    std::istream& in_;
    std::ostream& out_;
};

}  // namespace kavex::forms
