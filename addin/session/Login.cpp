#include "addin/session/Login.h"

#include <functional>
#include <string_view>

#include "addin/commandbars/Bars.h"
#include "addin/commandbars/DeInit.h"
#include "addin/core/Database.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/WebTransport.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "addin/session/StartupTables.h"
#include "addin/session/WebSession.h"
#include "addin/session/frmLogin.h"
#include "addin/session/frmSplash.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Variant.h"
#include "platform/forms/DialogDriver.h"
#include "platform/forms/MsgBox.h"

namespace kavex::addin::session {

namespace {

constexpr short kProgressStep = 10;

void putUpLoginBar(std::string_view procedure) {
    core::RunStep(procedure, "RemoveOldCommandBars", [] { commandbars::RemoveOldCommandBars(); });
    core::RunStep(procedure, "CreateLoginBar", [] { commandbars::CreateLoginBar(); });
    core::RunStep(procedure, "CreateKavexMenu", [] { commandbars::CreateKavexMenu(); });
}

void closeSplash() {
    SplashVisible = false;
    UnloadSplash();
}

void tellLoginFailure(const std::string& status, const std::string& description) {
    if (status == "invalid_login") {
        // The user's own entry was refused: a validation message, not a failure of the add-in.
        forms::MsgBox("Invalid User ID or Password. Please try again.", forms::vbExclamation,
                      "Kavex");
    } else if (status == core::kStatusConnectivityLost) {
        core::ShowConnectivityMessage();
    } else if (status == core::kStatusTimeout) {
        forms::MsgBox("The Kavex server did not answer in time. Please try again later.",
                      forms::vbCritical, "Kavex");
    } else {
        forms::MsgBox("Kavex could not log you in. Please try again later.\r\n\r\n" + description,
                      forms::vbCritical, "Kavex");
    }
}

}  // namespace

bool ProcessLogin() {
    static constexpr std::string_view kProcedure = "ProcessLogin";
    core::WriteLog(kProcedure, 3, "Entering");

    InitAddInVariables();
    putUpLoginBar(kProcedure);
    // A new login is a new attempt: the user hears again when the servers cannot be reached.
    core::ConnectivityMessageShown = false;

    frmSplash& splash = SplashWindow();
    splash.Show(forms::vbModeless);
    SplashVisible = true;
    splash.IncrementProgressBar(kProgressStep);

    core::OpenDBConnection();
    if (!core::FetchConfigSettings()) {
        closeSplash();
        forms::MsgBox("Kavex cannot start: its database " + core::AddInPath +
                          core::kDatabaseFileName + " could not be read.",
                      forms::vbCritical, "Kavex");
        core::WriteLog(kProcedure, 3, "Exiting");
        return false;
    }
    splash.IncrementProgressBar(kProgressStep);

    std::string userId = core::GetConfigSetting("USER_ID");
    std::string password = core::GetConfigSetting("USER_PASSWORD");
    if (userId.empty()) {
        std::string description;
        const std::string status = RegisterDummyUser(userId, password, description);
        if (status == core::kStatusOK) {
            core::UpdateConfigSettings({"USER_ID", "USER_PASSWORD"}, {userId, password});
        } else if (status == core::kStatusConnectivityLost || status == core::kStatusTimeout) {
            closeSplash();
            tellLoginFailure(status, description);
            core::WriteLog(kProcedure, 3, "Exiting");
            return false;
        }
        // Any other failure leaves the boxes empty for the user's own account.
    }

    frmLogin dialog;
    dialog.UserID = userId;
    dialog.Password = password;
    dialog.Show(forms::vbModal);
    const bool cancelled = dialog.Cancelled;
    userId = dialog.UserID;
    password = dialog.Password;
    dialog.Unload();
    if (cancelled) {
        closeSplash();
        core::WriteLog(kProcedure, 2, "Login cancelled");
        return false;
    }

    splash.ChangeLabel(kProgressAuthentication);
    splash.IncrementProgressBar(kProgressStep);
    std::string description;
    const std::string status = LoginUser(userId, password, description);
    if (status != core::kStatusOK) {
        closeSplash();
        tellLoginFailure(status, description);
        core::WriteLog(kProcedure, 3, "Exiting");
        return false;
    }
    core::ConnectivityMessageShown = false;

    splash.ChangeLabel(kProgressSettings);
    splash.IncrementProgressBar(kProgressStep);
    core::RunStep(kProcedure, "CreateKavexToolbar", [] { commandbars::CreateKavexToolbar(); });
    core::RunStep(kProcedure, "CreatePromoToolbar", [] { commandbars::CreatePromoToolbar(); });
    core::RunStep(kProcedure, "EnableKavexMenus", [] { commandbars::EnableKavexMenus(); });

    splash.ChangeLabel(kProgressTimer);
    splash.IncrementProgressBar(kProgressStep);
    core::RunStep(kProcedure, "InitializeTimerPool", [] {
        refresh::InitializeTimerPool();
        refresh::IdleTickCount = 0;
        if (refresh::Timers && refresh::Timers->tmrSessionTimeOut) {
            refresh::Timers->tmrSessionTimeOut->setEnabled(true);
        }
    });
    if (core::AutoUpdateMode == 1) {
        core::RunStep(kProcedure, "StartAutoRefreshTimer",
                      [] { refresh::StartAutoRefreshTimer(); });
    }

    splash.ChangeLabel(kProgressFeatures);
    splash.IncrementProgressBar(kProgressStep);
    core::RunStep(kProcedure, "FireDataFetchCommand", [] {
        refresh::FireDataFetchCommand(refresh::kCommandSymbolListUpkeep, "",
                                      base::Variant::missing(), 0, "", "", "", "");
        refresh::FireDataFetchCommand(refresh::kCommandDivSplitAndAlerts, "",
                                      base::Variant::missing(), 0, "", "", "", "");
    });
    // The upkeep just queued took its copy of the previous date; later upkeeps start here.
    if (!LoginDate.empty()) {
        core::LastLoginDate = LoginDate;
    }
    core::WriteLog(kProcedure, 3, "Exiting");
    return true;
}

void ProcessLogoutUser(const std::string& reason) {
    static constexpr std::string_view kProcedure = "ProcessLogoutUser";
    core::WriteLog(kProcedure, 3, "Entering with reason " + reason);

    core::RunStep(kProcedure, "Stopping the timers", [] {
        if (refresh::Timers) {
            if (refresh::Timers->tmrAutoRefresh && refresh::Timers->tmrAutoRefresh->Enabled()) {
                refresh::Timers->tmrAutoRefresh->setEnabled(false);
            }
            if (refresh::Timers->tmrSessionTimeOut) {
                refresh::Timers->tmrSessionTimeOut->setEnabled(false);
            }
        }
    });
    core::RunStep(kProcedure, "DestroyTimerPool", [] { refresh::DestroyTimerPool(); });

    const std::string sessionKey = UserSessionKey;
    ClearSession();
    if (!sessionKey.empty()) {
        std::string description;
        LogoutUser(sessionKey, reason, description);
    }

    core::UpdateConfigSettings(
        {"AUTOUPDATE_MODE", "DATA_REFRESH_INTERVAL", "LAST_LOGIN_DATE", "TOP_PRICE_GAINERS",
         "TOP_PRICE_LOSERS", "TOP_VOL_LEADERS"},
        {std::to_string(core::AutoUpdateMode), std::to_string(core::DataRefreshInterval),
         core::LastLoginDate, std::to_string(core::TopPriceGainers),
         std::to_string(core::TopPriceLosers), std::to_string(core::TopVolLeaders)});

    if (AddInState != "UnInstall") {
        putUpLoginBar(kProcedure);
    }
    core::WriteLog(kProcedure, 3, "Exiting");
}

void ShutdownAddIn(const std::string& reason) {
    static constexpr std::string_view kProcedure = "ShutdownAddIn";
    core::WriteLog(kProcedure, 3, "Entering");
    if (!UserSessionKey.empty()) {
        ProcessLogoutUser(reason.empty() ? std::string(kLogoutNormal) : reason);
    }
    if (AddInState == "UnInstall") {
        AddInState.clear();
    }
    core::RunStep(kProcedure, "RemoveKavexCommandBars",
                  [] { commandbars::RemoveKavexCommandBars(); });
    ReleaseStartupTables();
    commandbars::DeInitAddInVariables();
    core::WriteLog(kProcedure, 3, "Exiting");
}

}  // namespace kavex::addin::session
