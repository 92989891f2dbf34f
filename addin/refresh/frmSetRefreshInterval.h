#pragma once

#include "platform/forms/Form.h"

namespace kavex::addin::refresh {

// The "Auto Update" dialog: automatic refresh switched on (with an interval from 30 seconds to
// 10 minutes) or off. OK changes AutoUpdateMode and DataRefreshInterval in memory (they reach the
// configuration at logout), starts or stops the auto-refresh timer and turns the toolbar's
// toggle; Cancel changes nothing. Every handler but the activation counts as user activity.
class frmSetRefreshInterval : public forms::Form {
  public:
    frmSetRefreshInterval();

    void cmdUpdate_Click();
    void CommandButton1_Click();
    void optSetAutoUpdateOn_Click();
    void optSetAutoUpdateOff_Click();

  protected:
    void Form_Activate() override;
};

// The handler of "toolbarupdatefrom": shows the dialog modally.
void ShowRefreshIntervalDialog();

}  // namespace kavex::addin::refresh
