#pragma once

#include <string>
#include <utility>
#include <vector>

#include "addin/portfolio/Ledger.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::portfolio {

// A portfolio: the "Portfolio" sheet that shows the open lots and the cash, and the
// "Portfolio History" sheet that holds its ledger. A portfolio's history is the sheet named as the
// portfolio followed by " History" ("Portfolio" and "Portfolio History").
struct PortfolioPair {
    sheet::Worksheet portfolio;
    sheet::Worksheet history;
};

// True when the sheet carries the kind name (a sheet-level name such as WSName_Portfolio).
bool HasKindName(const sheet::Worksheet& sheet, std::string_view kindName);

// The portfolio of a Portfolio or Portfolio History sheet; refused (PortfolioRefusal) for any
// other sheet or when the partner sheet is missing.
PortfolioPair PortfolioOf(const sheet::Worksheet& sheet);
// The portfolio of the active sheet.
PortfolioPair ActivePortfolio();
// Every portfolio of the workbook, in tab order.
std::vector<PortfolioPair> PortfoliosOf(const sheet::Workbook& workbook);

// Where the ledger's columns are: the ID, symbol and date columns through their names, the others
// by their captions in the header row. Rows start two below the header.
struct HistoryLayout {
    int headerRow = 0;
    int id = 0, symbol = 0, type = 0, date = 0, shares = 0, price = 0, commission = 0, amount = 0,
        remarks = 0, link = 0;
    int firstRow() const { return headerRow + 2; }
};
HistoryLayout HistoryLayoutOf(const sheet::Worksheet& history);

// A ledger row and where it stands.
struct LedgerRow {
    LedgerEntry entry;
    int row = 0;
    // An edited transaction stays in the history, its remarks ending in "-Deleted", and no
    // longer counts.
    bool voided = false;
};
struct LedgerRows {
    std::vector<LedgerRow> rows;
    int lastRow = 0;  // the last row holding anything below the header, the header when none
    long lastId = 0;  // the highest id ever given in this history
    // The transactions that count.
    std::vector<LedgerEntry> entries() const;
    const LedgerRow* find(long id) const;
};

// Reads every ledger row; a row a user damaged (no id, an unknown type, a date or number that does
// not read) is refused with the row named, so nothing is booked on top of it.
LedgerRows ReadLedger(const sheet::Worksheet& history, const HistoryLayout& layout);

// Writes the entry into the row (with its delete link) and records its id as given.
void WriteLedgerRow(const sheet::Worksheet& history, const HistoryLayout& layout, int row,
                    const LedgerEntry& entry);
// Empties a row written by WriteLedgerRow.
void ClearLedgerRow(const sheet::Worksheet& history, const HistoryLayout& layout, int row);
// The remarks markers of an edit: the old version ends in "-Deleted", the new one in "-Created".
inline constexpr std::string_view kDeletedMark = "-Deleted";
inline constexpr std::string_view kCreatedMark = "-Created";
// The remarks without a trailing edit marker.
std::string WithoutEditMark(const std::string& remarks);
bool IsVoidRemark(const std::string& remarks);

// Records the highest id given, so that an id is never given again even when its row is deleted.
void RecordLastId(const sheet::Worksheet& history, long id);

// The sub-addresses of the links the portfolio writes: a history row's delete link and a
// portfolio row's edit link.
inline constexpr const char* kDeleteLinkTarget = "PortfolioHistoryID";
inline constexpr const char* kEditLinkTarget = "PortfolioEditEntry";
inline constexpr const char* kDeleteLinkText = "Delete";

}  // namespace kavex::addin::portfolio
