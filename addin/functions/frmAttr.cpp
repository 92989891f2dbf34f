#include "addin/functions/frmAttr.h"

#include <exception>
#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/functions/AttributeNames.h"
#include "addin/refresh/IdleTime.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/forms/MsgBox.h"

namespace kavex::addin::functions {

namespace {

using forms::ControlKind;

sheet::Application& excel() {
    if (!core::ExcelApp)
        throw base::PlatformError(91, "Object variable or With block variable not set");
    return *core::ExcelApp;
}

// Runs one step of a procedure whose steps ignore their errors.
template <typename Step>
void ignoringErrors(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

frmAttr::frmAttr() : Form("frmAttr", "Kavex - Set Attribute") {
    auto place = [](forms::Control& control, double left, double top, double width, double height) {
        control.layout().Left = left;
        control.layout().Top = top;
        control.layout().Width = width;
        control.layout().Height = height;
    };
    place(add(ControlKind::Label, "lblHeading", "Set Attribute"), 6, 6, 66, 15);
    add(ControlKind::Line, "Line1");
    add(ControlKind::Line, "Line2");
    place(add(ControlKind::Label, "Label1", "Current Cell:"), 12, 30, 78, 12);
    place(add(ControlKind::Label, "lblCurrentCell"), 96, 30, 150, 12);
    place(add(ControlKind::Label, "Label2", "Select an Attribute:"), 12, 54, 78, 12);
    place(add(ControlKind::ComboBox, "cmbAttributes"), 96, 52, 150, 18);
    place(add(ControlKind::Label, "Label3", "Symbol / Exchange Cell:"), 12, 78, 84, 12);
    place(add(ControlKind::TextBox, "txtSymbolExchange"), 96, 76, 150, 18);
    place(add(ControlKind::CommandButton, "cmdSelect", "&OK"), 96, 104, 72, 24);
    place(add(ControlKind::CommandButton, "cmdCancel", "&Cancel"), 174, 104, 72, 24);
    control("cmdSelect").setOnClick([this] { cmdSelect_Click(); });
    control("cmdCancel").setOnClick([this] { cmdCancel_Click(); });
}

void frmAttr::Form_Activate() {
    try {
        // The rule runs from just right of the heading to the right edge of the list.
        const forms::ControlLayout& heading = control("lblHeading").layout();
        const forms::ControlLayout& list = control("cmbAttributes").layout();
        double start = heading.Left + heading.Width + 7;
        double end = list.Left + list.Width;
        double bottom = heading.Top + heading.Height;
        forms::ControlLayout& line1 = control("Line1").layout();
        forms::ControlLayout& line2 = control("Line2").layout();
        line1.X1 = line2.X1 = start;
        line1.X2 = line2.X2 = end;
        line1.Y1 = line1.Y2 = bottom - 1;
        line2.Y1 = line2.Y2 = bottom;

        LoadAttributeNames();
        forms::Control& attributes = control("cmbAttributes");
        for (const std::string& name : AttributeNames)
            attributes.AddItem(name);

        control("lblCurrentCell").setCaption(excel().activeCell().address());
    } catch (const std::exception& failure) {
        core::WriteLog("UserForm_Activate", 1, failure.what());
    }
}

void frmAttr::message(std::string_view text) {
    forms::MsgBox(text, forms::vbOKOnly | forms::vbExclamation, "Kavex");
}

void frmAttr::cmdSelect_Click() {
    refresh::IdleTickCount = 0;
    forms::Control& attributes = control("cmbAttributes");
    forms::Control& address = control("txtSymbolExchange");
    if (attributes.ListIndex() < 0) {
        message("The Attribute should not be empty.");
        return;
    }
    std::string attribute = attributes.List(attributes.ListIndex());
    if (attribute.find("---") != std::string::npos) {
        message("Select a valid attribute.");
        return;
    }
    if (address.Text().empty()) {
        message("The Cell value should not be empty.");
        return;
    }

    setEnabled(false);
    std::string formula = "=" + base::Trim(attribute) + "(" + address.Text() + ")";
    bool written = false;
    try {
        excel().activeCell().setFormula(formula);
        written = true;
    } catch (const std::exception&) {
        // The host refused the formula; nothing was written.
    }
    if (!written) {
        ignoringErrors([&] { message("Invalid Symbol/Exchange Cell Address."); });
        setEnabled(true);
        ignoringErrors([&] { address.SetFocus(); });
        return;
    }
    setEnabled(true);
    Unload();
}

void frmAttr::cmdCancel_Click() {
    refresh::IdleTickCount = 0;
    Unload();
}

void ShowAttributeDialog() {
    frmAttr dialog;
    dialog.Show(forms::vbModal);
}

}  // namespace kavex::addin::functions
