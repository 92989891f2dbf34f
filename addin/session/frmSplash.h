#pragma once

#include <string>

#include "platform/forms/Form.h"

namespace kavex::addin::session {

// The splash window of a login: a label for the current step and a progress bar (0 to 100).
class frmSplash : public forms::Form {
  public:
    frmSplash();

    // Advances the progress bar by step (not past 100) and lets the message loop run once.
    void IncrementProgressBar(short step);
    // Sets the status label.
    void ChangeLabel(const std::string& text);

    double Progress() const;
    std::string Label() const;
};

// The splash window, created when first asked for (the form's default instance).
frmSplash& SplashWindow();
// Unloads and forgets the splash window; nothing when there is none.
void UnloadSplash();

}  // namespace kavex::addin::session
