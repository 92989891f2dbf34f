#include "addin/refresh/ManualRefresh.h"

#include <cstdint>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/CancelKey.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/SheetFunctionArguments.h"
#include "addin/refresh/SheetRefresh.h"
#include "addin/refresh/SplashProgress.h"
#include "addin/refresh/TimerPool.h"
#include "addin/refresh/TopListSheet.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "platform/spreadsheet/Constants.h"

namespace kavex::addin::refresh {

namespace {

constexpr std::string_view kProcedure = "ProcessManualRefresh";
constexpr const char* kExchangeStatsExchanges = "NSDQ,NYSE,AMEX";

// A session whose timer pool is gone (released by a failed login, say) is an error the step trap
// takes, not a crash.
void switchAutoRefreshTimer(bool enabled) {
    if (!Timers) {
        throw base::PlatformError(91, "Object variable or With block variable not set");
    }
    Timers->tmrAutoRefresh->setEnabled(enabled);
}

bool anyWorkbookOpen() {
    return Excel().workbooks().count() >= 1;
}

// Whole seconds from one local time to another.
std::int64_t secondsBetween(base::Date from, base::Date to) {
    return static_cast<std::int64_t>((to.serial - from.serial) * 86400.0 +
                                     (to.serial >= from.serial ? 0.5 : -0.5));
}

// The top-list length of each list kind.
short topListLength(const std::string& kind) {
    if (kind == core::kVolLeaders) {
        return core::TopVolLeaders;
    }
    if (kind == core::kPriceGainers) {
        return core::TopPriceGainers;
    }
    return core::TopPriceLosers;
}

bool isTopList(const std::string& kind) {
    return kind == core::kVolLeaders || kind == core::kPriceGainers || kind == core::kPriceLosers;
}

}  // namespace

void ProcessManualRefresh(bool IsAutoRefresh, bool WaitForData, short ActionType,
                          const std::string& OldSheet, const std::string& Reason, bool FetchData) {
    core::StepTrap trap;

    // 1.
    if (session::UserSessionKey.empty()) {
        return;
    }

    // 2. No automatic refresh may start while this one runs.
    AutoRefreshTickCount = 0;
    trap([] { switchAutoRefreshTimer(false); });
    trap([] { os::DoEvents(); });

    // 3. A minimized host is not refreshed.
    bool minimized = false;
    trap([&] { minimized = Excel().windowState() == sheet::xlMinimized; });
    if (minimized) {
        if (core::DataRefreshInterval > 0) {
            trap([] { switchAutoRefreshTimer(true); });
        }
        return;
    }

    // 4.
    trap([] { Excel().setStatusBar(base::Variant(std::string("Please Wait..."))); });
    core::WriteLog(kProcedure, 3, "Begin");
    ManualRefreshInProgress = true;
    DisableCancelKey();

    // 5.
    trap([] { SplashProgress("Fetching data from the exchange..."); });

    // 6.
    std::string kind;
    std::string workbookName;
    trap([&] { kind = core::GetTheSheetType(Excel().activeSheet()); });
    trap([] { SplashProgress(); });
    trap([&] { workbookName = base::toLowerAscii(Excel().activeWorkbook().name()); });

    // 7. What the sheet shows.
    std::string exchange;
    marketdata::SymbolList symbolList;
    bool addinWorkbook = false;
    trap([&] { addinWorkbook = core::IsKavexWorkbook(Excel().activeWorkbook(), false); });
    if (addinWorkbook && isTopList(kind)) {
        trap([&] { exchange = base::CStr(Excel().activeSheet().range("B1").value()); });
    } else if (addinWorkbook && kind == core::kDetails) {
        trap([&] { symbolList = Excel().activeSheet().range("A5").value(); });
    } else if (addinWorkbook && kind == core::kExchangeStats) {
        exchange = kExchangeStatsExchanges;
    } else {
        trap([&] { GetActiveWorksheetSymbolList(symbolList); });
        trap([] { SplashProgress(); });
        trap([&] { GetActiveWorksheetExchangeList(exchange); });
    }

    // 8. The fetch job.
    trap([] { SplashProgress(); });
    short index = 0;
    const bool fetch = FetchData || (IsAutoRefresh && core::AutoUpdateMode == 1);
    if (fetch) {
        trap([&] {
            index = FireDataFetchCommand(kCommandRefreshData, exchange, symbolList, ActionType,
                                         workbookName, kind, OldSheet, Reason);
        });
        trap([] { SplashProgress(); });
    }
    if (fetch && WaitForData) {
        if (index < 1) {
            // 9. Every job record is taken.
            trap([] {
                if (anyWorkbookOpen()) {
                    forms::MsgBox(kTooManyActionsMessage, forms::vbCritical, "Kavex");
                }
            });
        } else {
            // 10. Wait for the job to end, the message loop running meanwhile.
            bool done = false;
            trap([&] {
                const base::Date start = os::Now();
                for (;;) {
                    os::DoEvents();
                    if (TimerPool(index).Status == kEntryFree) {
                        break;
                    }
                    if (secondsBetween(start, os::Now()) > kRefreshWaitSeconds) {
                        break;
                    }
                    os::DoEvents();
                }
                done = TimerPool(index).Status == kEntryFree;
            });
            if (!done) {
                trap([] {
                    if (anyWorkbookOpen()) {
                        forms::MsgBox(kTimedOutMessage, forms::vbCritical, "Kavex");
                    }
                });
            }
        }
    }

    // 11. The user action.
    if (ActionType != 0) {
        trap([&] {
            FireDataFetchCommand(kCommandUserAction, exchange, symbolList, ActionType, workbookName,
                                 kind, OldSheet, Reason);
        });
        trap([] { SplashProgress(); });
    }

    // 12. Rebuild, unless the user moved to another kind of sheet during the wait.
    std::string kindNow;
    trap([&] { kindNow = core::GetTheSheetType(Excel().activeSheet()); });
    trap([] { SplashProgress(); });
    if (base::toLowerAscii(kindNow) == base::toLowerAscii(kind)) {
        trap([&] {
            if (core::IsKavexWorkbook(Excel().activeWorkbook(), false) && isTopList(kind)) {
                RefreshTemplateWorksheet(exchange, kind, topListLength(kind));
            } else {
                RefreshWorksheet();
            }
        });
    }

    // 13.
    trap([] { SplashProgress(); });
    if (trap.pending()) {
        core::WriteLog(kProcedure, 1,
                       "Error: " + std::to_string(trap.last().number) +
                           " Description: " + trap.last().description);
        trap.clear();
    }

    // 14.
    ManualRefreshInProgress = false;
    EnableCancelKeyInterrupt();
    trap([] { SplashProgress(); });
    core::WriteLog(kProcedure, 3, "End");
    trap([] { SplashProgress(); });

    // 15.
    if (core::DataRefreshInterval > 0 && core::AutoUpdateMode != 0) {
        trap([] { switchAutoRefreshTimer(true); });
    }
    trap([] { Excel().setStatusBar(base::Variant(std::string("Ready"))); });
}

}  // namespace kavex::addin::refresh
