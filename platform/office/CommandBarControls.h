#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/office/Constants.h"

namespace kavex::office {

namespace detail {
struct ControlList;
}

// The controls of a bar or a popup, a handle as the host hands it out. After its bar or popup
// was deleted every member raises ObjectDeletedError.
class CommandBarControls {
  public:
    explicit CommandBarControls(std::shared_ptr<detail::ControlList> list)
        : list_(std::move(list)) {}

    // Adds a control of that type before the 1-based position `before` (0: at the end).
    std::shared_ptr<CommandBarControl> Add(MsoControlType type, int id = 1,
                                           const std::string& parameter = {}, int before = 0,
                                           bool temporary = false);
    // The same, typed.
    std::shared_ptr<CommandBarButton> AddButton(int before = 0, bool temporary = false);
    std::shared_ptr<CommandBarComboBox> AddComboBox(MsoControlType type = MsoControlType::ComboBox,
                                                    int before = 0, bool temporary = false);
    std::shared_ptr<CommandBarPopup> AddPopup(int before = 0, bool temporary = false);

    int Count() const;
    // 1-based; error 5 when out of range.
    std::shared_ptr<CommandBarControl> Item(int index) const;
    // The first control with that caption, compared without regard to case or the "&" of
    // access keys; error 5 when there is none.
    std::shared_ptr<CommandBarControl> Item(std::string_view caption) const;
    // A copy, so that handlers may add and delete while a caller walks it.
    std::vector<std::shared_ptr<CommandBarControl>> All() const;

    // Host set-up: a control that comes with the host.
    std::shared_ptr<CommandBarControl> addBuiltIn(MsoControlType type, int id, std::string caption);

  private:
    std::shared_ptr<CommandBarControl> insert(std::shared_ptr<CommandBarControl> control,
                                              int before);
    detail::ControlList& list() const;

    std::shared_ptr<detail::ControlList> list_;
};

// Depth-first search under a list of controls (popups included).
void findControlsByTag(const std::vector<std::shared_ptr<CommandBarControl>>& controls,
                       std::string_view tag, bool firstOnly,
                       std::vector<std::shared_ptr<CommandBarControl>>& found);

}  // namespace kavex::office
