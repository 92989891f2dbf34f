#include "addin/core/Globals.h"

#include "addin/core/WebTransport.h"
#include "addin/core/Workbooks.h"

namespace kavex::addin::core {

void ResetCoreGlobals() {
    if (DBConnection) {
        try {
            DBConnection->Close();
        } catch (...) {
        }
    }
    DBConnection.reset();
    AddInPath.clear();
    AppPath.clear();
    KavexVersion.clear();
    WebsiteURL.clear();
    DecimalPlaces = 2;
    PriceFormat = "$###,###,##0.00";
    AutoUpdateMode = 0;
    DataRefreshInterval = 0;
    LastLoginDate.clear();
    TopVolLeaders = 0;
    TopPriceGainers = 0;
    TopPriceLosers = 0;
    LogLevel = 0;
    InternalSheetUpdate = false;
    SheetBuildInProgress = false;
    PortfolioRowRewritten = false;
    PortfolioHistoryChanged = false;
    IEBrowser.reset();
    BrowserControlSizes.clear();
    QuoteServiceURL = std::string(kDefaultQuoteServiceURL);
    ConnectivityMessageShown = false;
    WebRequestTimeout = std::chrono::milliseconds(30000);
}

}  // namespace kavex::addin::core
