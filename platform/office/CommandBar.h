#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/office/CommandBarControls.h"
#include "platform/office/Constants.h"

namespace kavex::office {

namespace detail {
struct ControlList;
struct Hub;
}  // namespace detail

// One toolbar, menu bar or context menu. New bars start hidden and enabled.
class CommandBar : public std::enable_shared_from_this<CommandBar> {
  public:
    CommandBar(std::weak_ptr<detail::Hub> hub, std::string name, MsoBarPosition position,
               bool temporary, bool builtIn);
    CommandBar(const CommandBar&) = delete;
    CommandBar& operator=(const CommandBar&) = delete;

    const std::string& Name() const;
    MsoBarPosition Position() const;
    void setPosition(MsoBarPosition position);
    bool BuiltIn() const;
    bool Temporary() const;
    // 1-based position among the host's bars.
    int Index() const;
    bool Visible() const;
    // A context menu (position Popup) cannot be shown this way: error 5.
    void setVisible(bool visible);
    bool Enabled() const;
    void setEnabled(bool enabled);

    CommandBarControls Controls() const;
    // The first control with that tag on this bar, popups included; null when there is none.
    std::shared_ptr<CommandBarControl> FindControl(std::string_view tag) const;

    // Removes the bar and its controls; a built-in bar cannot be deleted (error 5).
    void Delete();
    bool isDeleted() const { return deleted_; }

    // Host set-up: attaches the bar's control list once the bar is owned by a shared_ptr.
    void attach();

  private:
    friend class CommandBars;
    void checkAlive() const;
    void markDeleted();

    std::weak_ptr<detail::Hub> hub_;
    std::string name_;
    MsoBarPosition position_;
    bool temporary_;
    bool builtIn_;
    bool visible_ = false;
    bool enabled_ = true;
    bool deleted_ = false;
    std::shared_ptr<detail::ControlList> controls_;
};

}  // namespace kavex::office
