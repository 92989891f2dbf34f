#pragma once

#include <memory>
#include <string>

#include "platform/office/Constants.h"

namespace kavex::office {

namespace detail {
struct ControlList;
struct Hub;
}  // namespace detail

// What every command-bar control has. Handles are shared: the add-in may keep a control in a
// global after the control was deleted; every member of a deleted control then raises
// ObjectDeletedError instead of touching freed state.
class CommandBarControl : public std::enable_shared_from_this<CommandBarControl> {
  public:
    CommandBarControl(const CommandBarControl&) = delete;
    CommandBarControl& operator=(const CommandBarControl&) = delete;
    virtual ~CommandBarControl() = default;

    MsoControlType Type() const;
    int Id() const;
    bool BuiltIn() const;
    bool Temporary() const;
    // 1-based position among its siblings.
    int Index() const;

    const std::string& Caption() const;
    void setCaption(std::string caption);
    const std::string& Tag() const;
    void setTag(std::string tag);
    const std::string& TooltipText() const;
    void setTooltipText(std::string text);
    const std::string& Parameter() const;
    void setParameter(std::string parameter);
    const std::string& OnAction() const;
    void setOnAction(std::string macro);
    bool Enabled() const;
    void setEnabled(bool enabled);
    bool Visible() const;
    void setVisible(bool visible);
    bool BeginGroup() const;
    void setBeginGroup(bool beginGroup);
    int Width() const;
    void setWidth(int width);

    // Removes the control from its bar or popup.
    void Delete();
    // Not a host member: whether Delete (of the control or of what holds it) happened.
    bool isDeleted() const { return deleted_; }

  protected:
    CommandBarControl(MsoControlType type, int id, bool temporary, bool builtIn);

    void checkAlive() const;
    // Whether a user could reach the control now: it, the popups above it and its bar enabled
    // and visible (a bar shown as a context menu counts as visible).
    bool reachable() const;
    std::shared_ptr<detail::Hub> hub() const;
    virtual void markDeleted();

  private:
    friend class CommandBarControls;
    friend class CommandBarPopup;
    friend class CommandBar;

    MsoControlType type_;
    int id_;
    bool temporary_;
    bool builtIn_;
    std::string caption_;
    std::string tag_;
    std::string tooltipText_;
    std::string parameter_;
    std::string onAction_;
    bool enabled_ = true;
    bool visible_ = true;
    bool beginGroup_ = false;
    int width_ = 0;
    bool deleted_ = false;
    std::weak_ptr<detail::ControlList> parent_;
};

}  // namespace kavex::office
