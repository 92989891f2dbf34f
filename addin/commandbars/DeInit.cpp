#include "addin/commandbars/DeInit.h"

#include "addin/commandbars/Login.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/commandbars/frmDisplayMessage.h"
#include "addin/refresh/IdleTime.h"
#include "addin/session/Session.h"

namespace kavex::addin::commandbars {

void DeInitAddInVariables() {
    KavexToolbar.reset();
    AutoUpdateButton.reset();
    RefreshIntervalCombo.reset();
    CreateAlertButton.reset();
    MinRefreshInterval = 30;
    RefreshListIndex = 1;
    UnloadMessageWindow();
    LoginInProgress = false;
    refresh::IdleTickCount = 0;
    session::ShowDeprecatedMacroWarning = true;
}

}  // namespace kavex::addin::commandbars
