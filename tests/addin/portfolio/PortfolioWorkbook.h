#pragma once

#include <string>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::portfolio::testing {

// The sheets "KavexInfo", "Portfolio" and "Portfolio History" of an add-in workbook, laid out and
// named as the add-in's own workbook has them.
inline void nameCells(const sheet::Worksheet& sheet, const std::string& name,
                      const std::string& cells) {
    sheet.names().add(name, "='" + sheet.name() + "'!" + cells);
}
inline void header(const sheet::Worksheet& sheet, const std::string& cell,
                   const std::string& text) {
    sheet.range(cell).setValue(base::Variant(text));
}

inline void BuildPortfolioWorkbook(const sheet::Workbook& book) {
    sheet::Worksheet info = book.worksheets().item(1);
    info.setName("KavexInfo");
    info.range("B1").setValue(base::Variant("1.0"));
    info.names().add("KavexVersion", "=KavexInfo!$B$1");

    sheet::Worksheet folio = book.worksheets().add("Portfolio");
    folio.names().add("WSName_Portfolio", "=\"Portfolio\"");
    header(folio, "B3", "Cash Position");
    nameCells(folio, "PortfolioCashPosition", "$C$3");
    nameCells(folio, "ExchangeInfo", "$A$2");
    const struct {
        const char* name;
        const char* cell;
        const char* caption;
    } columns[] = {
        {"PortfolioTransactionID", "A5", "ID"},
        {"PortfolioSymbol", "B5", "Symbol"},
        {"WatchlistSecurityName", "C5", "Name"},
        {"PortfolioTransactionTypeDescription", "D5", "Type"},
        {"PortfolioPosition", "E5", "Position"},
        {"PortfolioTransactionDate", "F5", "Date"},
        {"PortfolioNoofShares", "G5", "Shares"},
        {"PortfolioPrice", "H5", "Price"},
        {"PortfolioCommission", "I5", "Commission"},
        {"PortfolioGainLossDollar", "L5", "Gain/Loss ($)"},
        {"PortfolioGainLossPercentage", "M5", "Gain/Loss (%)"},
        {"PortfolioRemarks", "N5", "Remarks"},
        {"NewsLink", "O5", ""},
        {"ChartsLink", "P5", ""},
        {"OptionsLink", "Q5", ""},
        {"PortFolioAlert", "R5", "Alert"},
        {"PortfolioAlertID", "S5", "Alert ID"},
    };
    for (const auto& column : columns) {
        std::string absolute = std::string("$") + column.cell[0] + "$" + (column.cell + 1);
        nameCells(folio, column.name, absolute);
        if (*column.caption != '\0') {
            header(folio, column.cell, column.caption);
        }
    }
    nameCells(folio, "WatchlistAttribHeader", "$J$5:$K$5");
    header(folio, "J5", "Last Trade Price");
    header(folio, "K5", "Change in Price (%)");

    sheet::Worksheet ledger = book.worksheets().add("Portfolio History");
    ledger.names().add("WSName_PortfolioHistory", "=\"Portfolio History\"");
    nameCells(ledger, "PortfolioHistoryID", "$A$4");
    nameCells(ledger, "PortfolioHistorySymbol", "$B$4");
    nameCells(ledger, "PortfolioHistoryTransactionDate", "$D$4");
    const char* captions[] = {"ID",    "Symbol",     "Type",   "Date",   "Shares",
                              "Price", "Commission", "Amount", "Remarks"};
    for (int column = 1; column <= 9; ++column) {
        ledger.cells(4, column).setValue(base::Variant(captions[column - 1]));
    }
}

}  // namespace kavex::addin::portfolio::testing
