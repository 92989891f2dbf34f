#include "addin/portfolio/TransactionRecord.h"

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/portfolio/dialogs/frmTransaction.h"

namespace kavex::addin::portfolio {

namespace {

void clearRecord() {
    // The date stays: a new row typed next keeps the date last worked with.
    TransactionRecord.Equity.clear();
    TransactionRecord.Remarks.clear();
    TransactionRecord.Price = 0;
    TransactionRecord.NumberOfShares = 0;
    TransactionRecord.Commission = 0;
}

void readRow(const sheet::Worksheet& sheet, int row) {
    auto cell = [&](std::string_view name) {
        return sheet.cells(row, sheet.range(name).column()).value();
    };
    TransactionRecord.Equity = TextOf(cell("PortfolioSymbol"));
    TransactionRecord.Price = NumberOf(cell("PortfolioPrice")).value_or(0);
    TransactionRecord.NumberOfShares = NumberOf(cell("PortfolioNoofShares")).value_or(0);
    TransactionRecord.Commission = NumberOf(cell("PortfolioCommission")).value_or(0);
    TransactionRecord.TransactionDate =
        DateOf(cell("PortfolioTransactionDate")).value_or(base::Date{});
    TransactionRecord.Remarks = TextOf(cell("PortfolioRemarks"));
}

}  // namespace

short FillRecord(bool& fromSheet) {
    static constexpr std::string_view kProcedure = "FillRecord";
    try {
        if (!fromSheet) {
            if (dialogs::frmTransaction* form = dialogs::OpenTransactionForm()) {
                TransactionRecord = form->Fields();
            }
            return 0;
        }
        if (dialogs::TransactionEditRow == 0) {
            clearRecord();
            return 0;
        }
        readRow(core::ExcelApp->activeSheet(), dialogs::TransactionEditRow);
        return 0;
    } catch (const std::exception& error) {
        core::WriteLog(
            kProcedure, 1,
            "Error while reading the transaction Error description : " + std::string(error.what()));
    }
    return 1;
}

}  // namespace kavex::addin::portfolio
