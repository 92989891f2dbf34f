#pragma once

namespace kavex::addin::commandbars {

// Run at shutdown: forgets the toolbar's controls, closes the message window, clears
// LoginInProgress and IdleTickCount and arms ShowDeprecatedMacroWarning again.
void DeInitAddInVariables();

}  // namespace kavex::addin::commandbars
