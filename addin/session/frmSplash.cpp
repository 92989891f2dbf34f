#include "addin/session/frmSplash.h"

#include <algorithm>
#include <memory>

#include "platform/base/Conversions.h"
#include "platform/os/MessageLoop.h"

namespace kavex::addin::session {

namespace {

std::unique_ptr<frmSplash>& instance() {
    static std::unique_ptr<frmSplash> splash;
    return splash;
}

}  // namespace

frmSplash::frmSplash() : forms::Form("frmSplash", "Kavex") {
    add(forms::ControlKind::Image, "imgLogo");
    add(forms::ControlKind::Label, "lblStatus", "Loading Kavex...");
    forms::Control& bar = add(forms::ControlKind::ProgressBar, "pbProgress");
    bar.setMin(0);
    bar.setMax(100);
    bar.setValue(0.0);
}

void frmSplash::IncrementProgressBar(short step) {
    forms::Control& bar = control("pbProgress");
    const double next = std::clamp(Progress() + step, bar.Min(), bar.Max());
    bar.setValue(next);
    os::DoEvents();
}

void frmSplash::ChangeLabel(const std::string& text) {
    control("lblStatus").setCaption(text);
}

double frmSplash::Progress() const {
    return base::CDbl(control("pbProgress").Value());
}

std::string frmSplash::Label() const {
    return control("lblStatus").Caption();
}

frmSplash& SplashWindow() {
    std::unique_ptr<frmSplash>& splash = instance();
    if (!splash) {
        splash = std::make_unique<frmSplash>();
    }
    return *splash;
}

void UnloadSplash() {
    std::unique_ptr<frmSplash>& splash = instance();
    if (splash) {
        std::unique_ptr<frmSplash> closing = std::move(splash);
        closing->Unload();
    }
}

}  // namespace kavex::addin::session
