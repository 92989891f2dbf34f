#include "addin/commandbars/frmDisplayMessage.h"

#include <memory>

#include "addin/core/Log.h"
#include "addin/refresh/IdleTime.h"

namespace kavex::addin::commandbars {

namespace {

std::unique_ptr<frmDisplayMessage>& instance() {
    static std::unique_ptr<frmDisplayMessage> window;
    return window;
}

}  // namespace

frmDisplayMessage::frmDisplayMessage() : forms::Form("frmDisplayMessage", "Kavex") {
    add(forms::ControlKind::CommandButton, "cmdClose", "&Close").setOnClick([this] {
        cmdClose_Click();
    });
}

void frmDisplayMessage::Form_Activate() {
    try {
        if (!WebBrowser || !WebBrowser->answers()) {
            WebBrowser.emplace();
        }
        WebBrowser->Navigate(Address);
        WebBrowser->setVisible(true);
    } catch (const std::exception& error) {
        core::WriteLog("frmDisplayMessage_Activate", 1,
                       "Error while showing " + Address + " Error description : " + error.what());
    }
}

void frmDisplayMessage::Form_Terminate() {
    try {
        if (WebBrowser && WebBrowser->answers()) {
            WebBrowser->Quit();
        }
    } catch (const std::exception&) {
        // The window was closed already.
    }
    WebBrowser.reset();
}

void frmDisplayMessage::cmdClose_Click() {
    refresh::IdleTickCount = 0;
    Unload();
}

void DisplayMessageWindow(const std::string& address) {
    try {
        UnloadMessageWindow();
        auto window = std::make_unique<frmDisplayMessage>();
        window->Address = address;
        frmDisplayMessage& shown = *window;
        instance() = std::move(window);
        shown.Show(forms::vbModeless);
    } catch (const std::exception& error) {
        core::WriteLog("DisplayMessageWindow", 1,
                       "Error while showing " + address + " Error description : " + error.what());
    }
}

frmDisplayMessage* MessageWindow() {
    frmDisplayMessage* window = instance().get();
    return window != nullptr && window->isLoaded() ? window : nullptr;
}

void UnloadMessageWindow() {
    if (auto& window = instance()) {
        if (window->isLoaded()) {
            window->Unload();
        }
        window.reset();
    }
}

}  // namespace kavex::addin::commandbars
