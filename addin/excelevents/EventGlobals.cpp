#include "addin/excelevents/EventGlobals.h"

#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/SelectedRow.h"

namespace kavex::addin::excelevents {

void ResetEventGlobals() {
    SelectedRowSymbol.clear();
    SelectedRowAlertID.clear();
    PendingPortfolioEdit = {};
    PortfolioEditRow = 0;
    ActiveSheetType.clear();
    LastTopListExchange.clear();
}

}  // namespace kavex::addin::excelevents
