#include <cstdint>
#include <string>
#include <vector>

#include "addin/alerts/AlertCells.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Menus.h"
#include "addin/core/Strings.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/marketdata/SymbolRegistration.h"
#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"

namespace kavex::addin::excelevents {

namespace {

// The user-action type of a sheet edit.
constexpr short kSheetEditAction = 6;
// Colours written here: a symbol cell without an alert is blue, the details' link cells white.
constexpr long kBlue = 16711680;
constexpr long kWhite = 16777215;

bool isKind(const std::string& kind, const char* literal) {
    return base::toUpperAscii(kind) == base::toUpperAscii(literal);
}

// Refreshes the active sheet, waiting for its data, without a report of its own.
void refreshActiveSheet() {
    refresh::ProcessManualRefresh(false, true, 0, "", "", true);
}

}  // namespace

void clsXLApp::mXLApp_SheetChange(const sheet::Worksheet& Sh, const sheet::Range& Target) {
    // A. Entry.
    // 1. Without a session, nothing.
    if (session::UserSessionKey.empty()) {
        return;
    }
    core::StepTrap trap;
    sheet::Application& app = *mXLApp_;
    // 2. The values the handler works with, taken now.
    sheet::Worksheet working;
    trap([&] { working = app.activeWorkbook().activeSheet(); });
    std::string activeKind;
    trap([&] { activeKind = core::GetTheSheetType(working); });
    short alertColumn = 0;
    trap([&] { alertColumn = core::GetTheColumnWheretheAlertFormulaColumnIs(activeKind); });
    std::int32_t headerRow = 0;
    std::int16_t symbolColumn = 0;
    trap([&] { core::GetSymbolRowColumn(working, headerRow, symbolColumn); });
    // 3.
    trap([&] { app.setCursor(sheet::xlWait); });
    // 4. Outside add-in workbooks only the add-in's menus are disabled.
    bool addinWorkbook = true;
    trap([&] { addinWorkbook = core::IsKavexWorkbook(app.activeWorkbook(), false); });
    if (!addinWorkbook) {
        trap([] {
            bool result = false;
            core::DisableMenusForNonKavexWorkbook(result);
        });
        trap([&] { app.setCursor(sheet::xlDefault); });
        return;
    }

    // The user-action report of a replaced or cleared symbol.
    const auto queueReport = [&] {
        refresh::FireDataFetchCommand(
            refresh::kCommandUserAction, "", marketdata::SymbolList(base::Variant::missing()),
            kSheetEditAction, app.activeWorkbook().name(), activeKind, Sh.name(), "");
    };

    // 5. One branch by the active sheet's kind.
    if (isKind(activeKind, core::kVolLeaders) || isKind(activeKind, core::kPriceGainers) ||
        isKind(activeKind, core::kPriceLosers)) {
        // B. A top list: a new exchange in B1 refreshes the list.
        trap([&] {
            const base::Variant exchange = working.range("B1").value();
            const std::string text = base::CStr(exchange);
            if (exchange.isEmpty() || text.empty()) {
                return;  // 1.
            }
            if (text == LastTopListExchange) {
                return;  // 2.
            }
            refresh::IdleTickCount = 0;  // 3.
            LastTopListExchange = text;
            refreshActiveSheet();  // 4.
        });
    } else if (isKind(activeKind, core::kWatchList) || isKind(activeKind, core::kPortfolio)) {
        // C. A watch list or a portfolio.
        std::int32_t changedRow = 0;
        std::int32_t changedColumn = 0;
        trap([&] {
            changedRow = Target.row();
            changedColumn = Target.column();
        });
        // The alert id that step C1.1 takes out of the changed row, so that the alert itself is
        // still cleaned up below: the row's alert-id cell no longer names it then.
        std::string erasedAlertID;
        // C1. An edit in the symbol column below its header.
        if (changedColumn == symbolColumn && changedRow > headerRow) {
            // 1. A replaced symbol loses the row's alert.
            bool replaced = false;
            trap([&] {
                replaced = !SelectedRowSymbol.empty() &&
                           base::CStr(app.activeSheet().cells(changedRow, symbolColumn).value()) !=
                               SelectedRowSymbol;
            });
            if (replaced) {
                const bool watchList = activeKind == core::kWatchList;
                std::int32_t formulaColumn = 0;
                std::int32_t idColumn = 0;
                trap([&] {
                    formulaColumn =
                        app.range(watchList ? "WatchlistAlert" : "PortfolioAlert").column();
                });
                trap([&] {
                    idColumn =
                        app.range(watchList ? "WatchlistAlertID" : "PortfolioAlertID").column();
                });
                trap([&] { working.cells(changedRow, symbolColumn).comment().delete_(); });
                trap([&] { working.cells(changedRow, symbolColumn).font().setColor(kBlue); });
                trap([&] { app.setEnableEvents(false); });
                trap([&] { working.cells(changedRow, formulaColumn).setFormula(""); });
                trap([&] {
                    erasedAlertID = base::CStr(working.cells(changedRow, idColumn).value());
                });
                trap([&] { working.cells(changedRow, idColumn).setValue(base::Variant("")); });
                trap([&] { app.setEnableEvents(true); });
            }
            // 2. A portfolio's row belongs to the portfolio engine.
            if (activeKind == core::kPortfolio) {
                trap([&] { app.setCursor(sheet::xlDefault); });
                return;
            }
            // 3. The typed symbol.
            trap([&] {
                if (core::PortfolioRowRewritten) {
                    working = Sh;  // 1.
                }
            });
            bool typed = false;
            trap([&] { typed = !working.cells(changedRow, changedColumn).value().isEmpty(); });
            if (typed) {
                // 3.3 Its cache row; the text written back as the cell's value.
                trap([&] {
                    sheet::Range cell = working.cells(changedRow, changedColumn);
                    std::string symbol = base::CStr(cell.value());
                    app.setEnableEvents(false);
                    core::StepTrap inner;
                    inner([&] {
                        std::string unused;
                        marketdata::AddNewExistingSymbol(symbol, unused);
                    });
                    // Written as text: a symbol such as "007" or "=1+1" stays the words typed.
                    inner([&] { cell.setValue(base::Variant("'" + symbol)); });
                    app.setEnableEvents(true);
                });
                // 3.4 Its links.
                trap([&] {
                    sheet::Range symbolCell = working.cells(changedRow, symbolColumn);
                    refresh::CreateSymbolHyperlink(symbolCell, working);
                });
                // 3.5 The name formula, written with events on: the host reports it as one more
                // change.
                trap([&] {
                    std::string letter = "B";
                    if (headerRow != 0 && symbolColumn != 0) {
                        const std::vector<std::string> parts = core::SplitString(
                            working.cells(headerRow, symbolColumn).address(), "$");
                        if (parts.size() == 3) {
                            letter = parts[1];
                        }
                    }
                    std::int32_t nameRow = 0;
                    std::int16_t nameColumn = 0;
                    core::GetSecurityNameRowColumn(working, nameRow, nameColumn);
                    if (nameRow != 0 && nameColumn != 0) {
                        working.cells(changedRow, nameColumn)
                            .setValue(base::Variant("=KavexName(" + letter +
                                                    std::to_string(changedRow) + ")"));
                    }
                });
                // 3.6 One formula per attribute column, and the cell after the last.
                trap([&] {
                    std::int32_t attributeRow = 0;
                    std::int16_t attributeColumn = 0;
                    core::GetAttributeRowColumn(working, attributeRow, attributeColumn);
                    const short columns = core::GetNoofColumns(working);
                    for (int offset = 0; offset <= columns; ++offset) {
                        const auto column = static_cast<std::int16_t>(attributeColumn + offset);
                        trap([&] {
                            const std::string caption =
                                base::CStr(working.cells(attributeRow, column).value());
                            refresh::SymbolSearch(working, activeKind, caption, changedRow, column,
                                                  false);
                        });
                    }
                });
                // 4.
                trap([&] { app.setEnableEvents(true); });
                core::PortfolioRowRewritten = false;
            }
        }

        // C2. Alerts and links of every cell changed, unless a dialog is building the sheet.
        if (!core::SheetBuildInProgress) {
            bool symbolTyped = false;
            std::vector<sheet::Range> cells;
            trap([&] { cells = Target.eachCell(); });
            for (sheet::Range& cell : cells) {
                std::int32_t row = 0;
                std::int32_t column = 0;
                trap([&] {
                    row = cell.row();
                    column = cell.column();
                });
                if (row > headerRow && column == symbolColumn) {
                    // 1. A cleared or replaced symbol.
                    const auto alertID = [&] {
                        const std::string held =
                            base::CStr(app.activeSheet()
                                           .cells(row, working.range("WatchlistAlertID").column())
                                           .value());
                        return held.empty() && row == changedRow ? erasedAlertID : held;
                    };
                    std::string value;
                    bool readable = false;
                    trap([&] {
                        value = base::CStr(cell.value());
                        readable = true;
                    });
                    if (readable && value.empty()) {
                        bool hasAlert = false;
                        trap([&] { hasAlert = !alertID().empty(); });
                        if (hasAlert) {
                            trap([&] {
                                alerts::ClearVisualAlert(alertID(), SelectedRowSymbol, cell);
                            });
                            trap([&] { cell.comment().delete_(); });
                            trap([&] { alerts::SetAlertFontColor(cell); });
                            trap([&] { app.cells(row, alertColumn).setValue(base::Variant("")); });
                            if (!SelectedRowSymbol.empty()) {
                                trap(queueReport);
                                SelectedRowSymbol.clear();
                            }
                        }
                    } else if (readable && value != SelectedRowSymbol) {
                        trap([&] { alerts::ClearVisualAlert(alertID(), SelectedRowSymbol, cell); });
                        trap(queueReport);
                    }
                }
                // 2. A symbol in the cell gets its link.
                trap([&] {
                    if (column == symbolColumn && row > headerRow && !cell.value().isEmpty()) {
                        symbolTyped = true;
                        refresh::CreateSymbolHyperlink(cell, sheet::Worksheet());
                    }
                });
            }
            // 3. One refresh for all the symbols typed.
            if (symbolTyped) {
                trap(refreshActiveSheet);
            }
        }
    } else if (isKind(activeKind, core::kDetails)) {
        // D. The details: its three link cells rebuilt, white and bold.
        using AddLink = base::Variant (*)(const sheet::Worksheet&, std::int32_t, std::int16_t,
                                          const std::string&);
        const std::pair<const char*, AddLink> links[] = {
            {"NewsLink", refresh::AddNewsHyperlink},
            {"ChartsLink", refresh::AddChartsHyperlink},
            {"OptionsLink", refresh::AddOptionsHyperlink}};
        for (const auto& [name, addLink] : links) {
            trap([&, name = name, addLink = addLink] {
                const sheet::Worksheet active = app.activeSheet();
                const sheet::Range cell = active.range(name);
                addLink(active, cell.row(), static_cast<std::int16_t>(cell.column()),
                        base::CStr(Target.value()));
                cell.font().setColor(kWhite);
                cell.font().setBold(true);
            });
        }
    }

    // E. The tail: a changed attribute header is re-mapped.
    trap([&] { refresh::ProcessAttributeHeaderChange(working, activeKind, Target); });
    trap([&] { app.setCursor(sheet::xlDefault); });
}

}  // namespace kavex::addin::excelevents
