#pragma once

#include <string>
#include <vector>

#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"

namespace kavex::forms::testing {

// A small interval dialog of the add-in's kind: two options, a list, OK and Cancel.
class frmInterval : public Form {
  public:
    frmInterval() : Form("frmInterval", "Auto Update") {
        optOn.setOnClick([this] { cmbInterval.setEnabled(true); });
        optOff.setOnClick([this] { cmbInterval.setEnabled(false); });
        cmdOK.setOnClick([this] { cmdOK_Click(); });
        cmdCancel.setOnClick([this] { Unload(); });
        cmbInterval.setOnChange([this] { events.push_back("cmbInterval_Change"); });
        cmbInterval.setOnClick([this] { events.push_back("cmbInterval_Click"); });
    }

    Control& lblHeading = add(ControlKind::Label, "lblHeading", "Auto Update");
    Control& Line1 = add(ControlKind::Line, "Line1");
    Control& optOn = add(ControlKind::OptionButton, "optOn", "Set AutoUpdate ON");
    Control& optOff = add(ControlKind::OptionButton, "optOff", "Set AutoUpdate OFF");
    Control& cmbInterval = add(ControlKind::ComboBox, "cmbInterval");
    Control& chkRemember = add(ControlKind::CheckBox, "chkRemember", "Remember");
    Control& txtNote = add(ControlKind::TextBox, "txtNote");
    Control& cmdOK = add(ControlKind::CommandButton, "cmdOK", "&OK");
    Control& cmdCancel = add(ControlKind::CommandButton, "cmdCancel", "&Cancel");

    std::vector<std::string> events;
    std::string chosen;
    int activations = 0;
    int initializations = 0;

  protected:
    void Form_Initialize() override { ++initializations; }
    void Form_Activate() override {
        ++activations;
        cmbInterval.Clear();
        for (const char* text : {"Every 30 Secs", "Every 60 Secs", "Off"}) {
            cmbInterval.AddItem(text);
        }
        optOff.setValue(base::Variant(true));
    }

  private:
    void cmdOK_Click() {
        if (cmbInterval.ListIndex() < 0) {
            MsgBox("Choose an interval.", vbExclamation, "Kavex");
            return;
        }
        chosen = cmbInterval.Text();
        Unload();
    }
};

}  // namespace kavex::forms::testing
