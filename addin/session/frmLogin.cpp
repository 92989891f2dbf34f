#include "addin/session/frmLogin.h"

#include "platform/forms/MsgBox.h"

namespace kavex::addin::session {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

frmLogin::frmLogin() : forms::Form("frmLogin", "Kavex Login") {
    add(forms::ControlKind::Label, "lblUserID", "User ID");
    add(forms::ControlKind::TextBox, "txtUserID");
    add(forms::ControlKind::Label, "lblPassword", "Password");
    add(forms::ControlKind::TextBox, "txtPassword");
    add(forms::ControlKind::CommandButton, "cmdOK", "OK").setOnClick([this] { cmdOK_Click(); });
    add(forms::ControlKind::CommandButton, "cmdCancel", "Cancel").setOnClick([this] {
        cmdCancel_Click();
    });
}

void frmLogin::Form_Initialize() {
    control("txtUserID").setText(UserID);
    control("txtPassword").setText(Password);
    Cancelled = true;
}

void frmLogin::cmdOK_Click() {
    const std::string userId = trimmed(control("txtUserID").Text());
    const std::string password = control("txtPassword").Text();
    if (userId.empty()) {
        forms::MsgBox("Please enter your User ID.", forms::vbExclamation, "Kavex");
        control("txtUserID").SetFocus();
        return;
    }
    if (password.empty()) {
        forms::MsgBox("Please enter your Password.", forms::vbExclamation, "Kavex");
        control("txtPassword").SetFocus();
        return;
    }
    UserID = userId;
    Password = password;
    Cancelled = false;
    Hide();
}

void frmLogin::cmdCancel_Click() {
    Cancelled = true;
    Hide();
}

}  // namespace kavex::addin::session
