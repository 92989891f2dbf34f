#include "addin/commandbars/frmOptions.h"

#include <string>

#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/refresh/AutoUpdate.h"
#include "addin/refresh/IdleTime.h"

namespace kavex::addin::commandbars {

namespace {

// DECIMAL_PLACE takes 0 to 4.
constexpr short kMaxDecimalPlaces = 4;

}  // namespace

frmOptions::frmOptions() : forms::Form("frmOptions", "Kavex - Options") {
    add(forms::ControlKind::Label, "lblHeading", "Options");
    add(forms::ControlKind::Label, "lblDecimalPlaces", "Decimal places of prices:");
    add(forms::ControlKind::ComboBox, "cmbDecimalPlaces");
    add(forms::ControlKind::CommandButton, "cmdOK", "&OK").setOnClick([this] { cmdOK_Click(); });
    add(forms::ControlKind::CommandButton, "cmdCancel", "&Cancel").setOnClick([this] {
        cmdCancel_Click();
    });
}

void frmOptions::Form_Activate() {
    try {
        forms::Control& decimals = control("cmbDecimalPlaces");
        decimals.Clear();
        for (short count = 0; count <= kMaxDecimalPlaces; ++count) {
            decimals.AddItem(std::to_string(count));
        }
        if (core::DecimalPlaces >= 0 && core::DecimalPlaces <= kMaxDecimalPlaces) {
            decimals.setListIndex(core::DecimalPlaces);
        }
    } catch (const std::exception& error) {
        core::WriteLog("frmOptions_Activate", 1,
                       std::string("Error while showing the options ") + error.what());
    }
}

void frmOptions::cmdOK_Click() {
    refresh::IdleTickCount = 0;
    const int chosen = control("cmbDecimalPlaces").ListIndex();
    if (chosen >= 0 && chosen != core::DecimalPlaces) {
        ApplyDecimalPlaces(static_cast<short>(chosen));
    }
    Unload();
}

void frmOptions::cmdCancel_Click() {
    refresh::IdleTickCount = 0;
    Unload();
}

bool ApplyDecimalPlaces(short decimals) {
    if (decimals < 0 || decimals > kMaxDecimalPlaces) {
        core::WriteLog("ApplyDecimalPlaces", 1,
                       "Decimal places " + std::to_string(decimals) + " refused (0 to 4)");
        return false;
    }
    if (!core::UpdateConfigSettings({"DECIMAL_PLACE"}, {std::to_string(decimals)})) {
        return false;
    }
    core::SetDecimalPlaces(decimals);
    core::WriteLog("ApplyDecimalPlaces", 2, "Decimal places set to " + std::to_string(decimals));
    // The active sheet's prices are shown again with the new count.
    refresh::UpdateData();
    return true;
}

}  // namespace kavex::addin::commandbars
