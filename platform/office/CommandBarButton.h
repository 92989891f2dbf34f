#pragma once

#include "platform/office/CommandBarControl.h"

namespace kavex::office {

class CommandBarButton : public CommandBarControl {
  public:
    CommandBarButton(int id, bool temporary, bool builtIn)
        : CommandBarControl(MsoControlType::Button, id, temporary, builtIn) {}

    MsoButtonStyle Style() const;
    void setStyle(MsoButtonStyle style);
    int FaceId() const;
    void setFaceId(int faceId);

    // This button's own Click handler (a WithEvents variable bound to it). Handlers bound to the
    // button's tag through CommandBars::bindClick run as well. A handler should not capture the
    // button itself; it receives it.
    void setOnClick(ClickHandler handler);

    // The user clicks the button: when it is reachable (enabled and visible, its popups and bar
    // too) its own handler, then the handler bound to its tag, then its OnAction macro run, and
    // the result is true; otherwise nothing happens and the result is false.
    bool click();

  private:
    MsoButtonStyle style_ = MsoButtonStyle::Automatic;
    int faceId_ = 0;
    ClickHandler onClick_;
};

}  // namespace kavex::office
