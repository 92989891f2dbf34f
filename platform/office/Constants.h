#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kavex::office {

// Control kinds with the host's numbers.
enum class MsoControlType { Button = 1, Edit = 2, DropDown = 3, ComboBox = 4, Popup = 10 };

enum class MsoButtonStyle { Automatic = 0, Icon = 1, Caption = 2, IconAndCaption = 3 };

enum class MsoBarPosition { Left = 0, Top = 1, Right = 2, Bottom = 3, Floating = 4, Popup = 5 };

// The error the host raises for an operation on a control or bar that was deleted ("automation
// error"); missing items and bad arguments raise errors::InvalidProcedureCall (5).
inline constexpr long ObjectDeletedError = -2147467259;

class CommandBar;
class CommandBarControl;
class CommandBarButton;
class CommandBarComboBox;
class CommandBarPopup;

// A button's Click event: the button clicked and the CancelDefault flag.
using ClickHandler =
    std::function<void(const std::shared_ptr<CommandBarButton>& ctrl, bool& cancelDefault)>;
// A combo box's Change event.
using ChangeHandler = std::function<void(const std::shared_ptr<CommandBarComboBox>& ctrl)>;
// Runs a control's OnAction macro by name (the spreadsheet host's Run).
using MacroRunner = std::function<void(const std::string& macro)>;

}  // namespace kavex::office
