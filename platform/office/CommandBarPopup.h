#pragma once

#include <memory>

#include "platform/office/CommandBarControl.h"
#include "platform/office/CommandBarControls.h"

namespace kavex::office {

// A menu on a bar: a caption and controls of its own.
class CommandBarPopup : public CommandBarControl {
  public:
    CommandBarPopup(int id, bool temporary, bool builtIn);

    CommandBarControls Controls() const;

    // Host set-up: attaches the popup's own control list once it is owned by a shared_ptr.
    void attach(std::weak_ptr<detail::Hub> hub);

  protected:
    void markDeleted() override;

  private:
    std::shared_ptr<detail::ControlList> controls_;
};

}  // namespace kavex::office
