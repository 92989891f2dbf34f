#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/office/CommandBar.h"
#include "platform/office/CommandBarButton.h"
#include "platform/office/CommandBarComboBox.h"
#include "platform/office/CommandBarPopup.h"
#include "platform/office/Constants.h"

namespace kavex::office {

namespace detail {
struct Hub;
}

// The host's command bars. A handle: copies share the same bars. It starts with the host's
// spreadsheet-cell context menu "Cell" and its built-in entries.
class CommandBars {
  public:
    CommandBars();

    // A new bar (hidden, enabled). An empty name gives "Custom 1", "Custom 2", ...; a name
    // already in use, compared without regard to case, is refused with error 5.
    std::shared_ptr<CommandBar> Add(std::string name = {},
                                    MsoBarPosition position = MsoBarPosition::Floating,
                                    bool temporary = false);
    int Count() const;
    // By name without regard to case, or 1-based index; error 5 when there is none.
    std::shared_ptr<CommandBar> Item(std::string_view name) const;
    std::shared_ptr<CommandBar> Item(int index) const;
    // A copy, so that handlers may add and delete bars while a caller walks it.
    std::vector<std::shared_ptr<CommandBar>> All() const;

    // The first control with that tag on any bar (popups included); null when there is none.
    std::shared_ptr<CommandBarControl> FindControl(std::string_view tag) const;
    // Every control with that tag, in bar order.
    std::vector<std::shared_ptr<CommandBarControl>> FindControls(std::string_view tag) const;

    // Event handlers bound by tag: the host raises a button's Click (a combo's Change) to the
    // handler bound to the clicked control's tag, whichever control of that tag it is. An empty
    // handler unbinds.
    void bindClick(const std::string& tag, ClickHandler handler);
    void bindChange(const std::string& tag, ChangeHandler handler);
    // Runs OnAction macros; without one a control's OnAction does nothing.
    void setMacroRunner(MacroRunner runner);

  private:
    std::shared_ptr<detail::Hub> hub_;
};

}  // namespace kavex::office
