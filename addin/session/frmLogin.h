#pragma once

#include <string>

#include "platform/forms/Form.h"

namespace kavex::addin::session {

// The login dialog: txtUserID, txtPassword, cmdOK and cmdCancel. The caller sets UserID and
// Password before showing it (they fill the boxes) and reads them, with Cancelled, afterwards.
class frmLogin : public forms::Form {
  public:
    frmLogin();

    std::string UserID;
    std::string Password;
    bool Cancelled = true;

  protected:
    void Form_Initialize() override;

  private:
    void cmdOK_Click();
    void cmdCancel_Click();
};

}  // namespace kavex::addin::session
