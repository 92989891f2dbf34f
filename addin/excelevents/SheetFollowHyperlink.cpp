#include <cstdint>
#include <string>

#include "addin/core/Browser.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Menus.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/functions/SymbolWorkers.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionCommands.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "addin/watchlists/AddSymbol.h"
#include "addin/watchlists/ExchangeStats.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"

namespace kavex::addin::excelevents {

namespace {

// The sub-addresses of the add-in's in-document links.
constexpr const char* kPortfolioEditEntry = "PortfolioEditEntry";
constexpr const char* kDetailsSymbol = "DetailsSymbol";
constexpr const char* kToWatchList = "To Watch List\u2026";
constexpr const char* kWatchlistLink = "watchlistlink";                         // any letter case
constexpr const char* kExchangeLinks[] = {"nyselink", "nsdqlink", "amexlink"};  // any letter case

// The page links and the page type each opens.
struct PageLink {
    const char* subAddress;
    const char* pageType;
};
constexpr PageLink kPageLinks[] = {
    {"BrowserNewsLink", "N"}, {"BrowserChartsLink", "C"}, {"BrowserOptionsLink", "O"}};

// The user-action type of a details link.
constexpr short kDetailsLinkAction = 4;
// White bold link captions on the details sheet.
constexpr long kWhite = 16777215;

bool isOptionSymbol(const std::string& symbol) {
    return !symbol.empty() && symbol.front() == '%';
}

// The web page of a symbol, the symbol part left as it is.
std::string pageAddress(const std::string& pageType, const std::string& symbol) {
    return core::WebsiteURL + "/WI/AddinLink.jsp?" + "Type=" + pageType + "&Symbol=" + symbol;
}

// The value of a name on the sheet, as text (Portfolio for a kind name, which holds a text
// constant and refers to no cell); the trap keeps text as it was when the sheet has no such name.
void readName(core::StepTrap& trap, const sheet::Worksheet& sheet, const char* name,
              std::string& text) {
    trap([&] { text = core::NameValueOnSheet(sheet, name); });
}

}  // namespace

// Following a link is handed to the worker, with a session.
void clsXLApp::mXLApp_SheetFollowHyperlink(const sheet::Worksheet& Sh,
                                           const sheet::Hyperlink& Target) {
    core::StepTrap trap;
    if (session::UserSessionKey.empty()) {
        return;
    }
    trap([&] { ProcessHyperlink(Sh, Target.range(), Target.subAddress()); });
}

void clsXLApp::ProcessHyperlink(const sheet::Worksheet& Sh, const sheet::Range& Target,
                                const std::string& SubAddress) {
    core::StepTrap trap;
    // 1. Following a link is user activity, whatever happens next.
    refresh::IdleTickCount = 0;

    // 2. Only in an add-in workbook.
    sheet::Worksheet active;
    trap([&] { active = mXLApp_->activeWorkbook().activeSheet(); });
    if (!core::IsKavexWorkbook(mXLApp_->activeWorkbook(), false)) {
        return;
    }

    // 3. The portfolio marker, the name of the link's sheet and the active sheet's kind.
    std::string portfolioMarker;
    readName(trap, active, "WSName_Portfolio", portfolioMarker);
    if (portfolioMarker.empty()) {
        readName(trap, active, "WSName_PortfolioTemplate", portfolioMarker);
    }
    std::string sheetName;
    trap([&] { sheetName = Sh.name(); });
    std::string sheetKind;
    trap([&] { sheetKind = core::GetTheSheetType(active); });

    // 4. On a portfolio history a link deletes its transaction (which asks first).
    if (base::toUpperAscii(sheetKind) == base::toUpperAscii(core::kPortfolioHistory)) {
        trap([&] {
            if (Target.count() == 1) {
                portfolio::dialogs::DeleteTransaction(Target);
            }
        });
        return;
    }

    // 5. On a portfolio (or its template) the edit link edits its transaction.
    if (!portfolioMarker.empty() && SubAddress == kPortfolioEditEntry) {
        trap([&] { portfolio::dialogs::EditTransaction(Target); });
        return;
    }

    // 6. Anywhere but on the details: the exchange selectors, else the symbol of the link's row.
    std::string symbol;
    if (sheetName != core::kDetails) {
        const std::string lowered = base::toLowerAscii(SubAddress);
        for (const char* exchangeLink : kExchangeLinks) {
            if (lowered == exchangeLink) {
                trap([&] {
                    watchlists::SelectExchangeStats(base::CStr(Target.value()), Target.row());
                });
                return;
            }
        }
        trap([&] {
            std::int32_t headerRow = 0;
            std::int16_t symbolColumn = 0;
            core::GetSymbolRowColumn(Sh, headerRow, symbolColumn);
            symbol = base::CStr(Sh.cells(Target.row(), symbolColumn).value());
        });
    }

    // 7. On the details the symbol is the sheet's own.
    if (sheetName == core::kDetails) {
        trap([&] { symbol = base::CStr(active.range("A5").value()); });
    }

    // 8. No symbol: back to the link's sheet.
    if (symbol.empty()) {
        trap([&] { sheet::Worksheet(Sh).activate(); });
        return;
    }

    // 9. The menus for the sheet the link led to.
    trap([&] {
        bool result = false;
        core::EnableDisableMenusForKavexWorkbook(result, active);
    });

    // 10. What the link is for.
    if (SubAddress == kDetailsSymbol) {
        FillDetailsSheet(symbol, sheetKind, sheetName);
    } else if (SubAddress == kToWatchList || base::toLowerAscii(SubAddress) == kWatchlistLink) {
        trap([&] { watchlists::ValidateandAddSymbol(true, symbol); });
    } else {
        for (const PageLink& page : kPageLinks) {
            if (SubAddress == page.subAddress) {
                trap([&] {
                    std::string pageSymbol = symbol;
                    if (isOptionSymbol(symbol)) {
                        pageSymbol = base::CStr(functions::GetKavexOptionsBaseSymbol(symbol));
                    }
                    core::OpenURLInBrowser(pageAddress(page.pageType, pageSymbol));
                });
                break;
            }
        }
    }
}

// The link led to the "Details" sheet, which is now active: it shows the stock's or the option's
// attributes of the symbol, with its three page links, and is refreshed.
void clsXLApp::FillDetailsSheet(const std::string& symbol, const std::string& sheetKind,
                                const std::string& linkSheetName) {
    core::StepTrap trap;
    sheet::Worksheet details;
    trap([&] { details = mXLApp_->activeSheet(); });
    // Where no link was followed (a link selected on the oldest host) the user is still on the
    // link's sheet: go where the link leads first, so that the symbol and the details' links are
    // not written over that sheet's own cells.
    if (core::GetTheSheetType(details) != core::kDetails) {
        sheet::Worksheet target;
        trap([&] { target = mXLApp_->range(kDetailsSymbol).worksheet(); });
        if (target.isNothing() || core::GetTheSheetType(target) != core::kDetails) {
            return;
        }
        trap([&] { target.activate(); });
        details = target;
    }
    // 11.
    trap([&] { refresh::UnprotectWorksheet(details); });
    // 12. One block of attributes shown, the other hidden.
    const bool option = isOptionSymbol(symbol);
    trap([&] { details.range("SymbolAttributes").entireRow().setHidden(option); });
    trap([&] { details.range("OptionAttributes").entireRow().setHidden(!option); });
    // 13.
    trap([&] { details.range("A5").setValue(base::Variant(symbol)); });
    // 14 to 16. The page links, white and bold.
    using AddLink =
        base::Variant (*)(const sheet::Worksheet&, std::int32_t, std::int16_t, const std::string&);
    const std::pair<const char*, AddLink> links[] = {{"NewsLink", refresh::AddNewsHyperlink},
                                                     {"ChartsLink", refresh::AddChartsHyperlink},
                                                     {"OptionsLink", refresh::AddOptionsHyperlink}};
    for (const auto& [name, addLink] : links) {
        trap([&, name = name, addLink = addLink] {
            const sheet::Range cell = details.range(name);
            addLink(details, cell.row(), static_cast<std::int16_t>(cell.column()), symbol);
            cell.font().setColor(kWhite);
            cell.font().setBold(true);
        });
    }
    // 17.
    trap([&] { mXLApp_->setEnableEvents(true); });
    trap([&] { refresh::ProtectWorksheet(details); });
    // 18. The symbol's data fetched and shown.
    trap([] { refresh::ProcessManualRefresh(false, true, 0, "", "", true); });
    // 19. The details link reported.
    trap([&] {
        refresh::FireDataFetchCommand(refresh::kCommandUserAction, "",
                                      marketdata::SymbolList(base::Variant::missing()),
                                      kDetailsLinkAction, mXLApp_->activeWorkbook().name(),
                                      sheetKind, linkSheetName, "Details Link");
    });
}

}  // namespace kavex::addin::excelevents
