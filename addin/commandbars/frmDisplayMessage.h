#pragma once

#include <optional>
#include <string>

#include "platform/browser/Browser.h"
#include "platform/forms/Form.h"

namespace kavex::addin::commandbars {

// The message window: a page of the product's web site (a broadcast after login) shown in a
// window of its own, closed with cmdClose.
class frmDisplayMessage : public forms::Form {
  public:
    frmDisplayMessage();

    // The page to show; set before Show.
    std::string Address;
    // The window the page is shown in, opened at activation.
    std::optional<browser::Browser> WebBrowser;

    void cmdClose_Click();

  protected:
    void Form_Activate() override;
    void Form_Terminate() override;
};

// Loads the message window on the address and shows it (modeless); the window stays until the
// user closes it or the add-in shuts down. Errors are logged.
void DisplayMessageWindow(const std::string& address);

// The message window on screen, or nullptr.
frmDisplayMessage* MessageWindow();
// Closes it (shutdown, tests).
void UnloadMessageWindow();

}  // namespace kavex::addin::commandbars
