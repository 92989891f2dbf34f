#pragma once

#include <string>

#include "addin/session/Session.h"
#include "addin/session/frmSplash.h"

namespace kavex::addin::refresh {

// While a login's splash window shows, a refresh advances its progress bar by 2 (which lets the
// message loop run) and may say what it does.
inline void SplashProgress() {
    if (session::SplashVisible) {
        session::SplashWindow().IncrementProgressBar(2);
    }
}

inline void SplashProgress(const std::string& label) {
    if (session::SplashVisible) {
        session::SplashWindow().IncrementProgressBar(2);
        session::SplashWindow().ChangeLabel(label);
    }
}

}  // namespace kavex::addin::refresh
