#include "addin/core/Browser.h"

#include "addin/core/Globals.h"
#include "addin/core/Log.h"

namespace kavex::addin::core {

void OpenURLInBrowser(const std::string& address) {
    try {
        if (!IEBrowser || !IEBrowser->answers()) {
            IEBrowser.emplace();
        }
        browser::Browser& window = *IEBrowser;
        window.setStatusBar(false);
        window.setMenuBar(false);
        window.setToolBar(false);
        window.setResizable(true);
        window.Navigate(address);
        window.setVisible(true);
    } catch (const std::exception& e) {
        WriteLog("OpenURLInBrowser", 1,
                 "Error while opening " + address + " Error description : " + e.what());
    }
}

os::HWND GetExcelWindowHandle() {
    return os::excelMainWindow();
}

}  // namespace kavex::addin::core
