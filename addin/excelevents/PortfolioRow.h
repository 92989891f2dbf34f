#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/Date.h"
#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::excelevents {

// A transaction type a user may type into a portfolio row, and how it is booked.
struct SheetTransactionType {
    std::string_view name;      // as the booking operations take it
    std::string_view position;  // "long" or "short"
    short code;
    bool sale;        // booked against open lots (SellTransactionFunction)
    bool rebookable;  // a booked row of this type may be changed in the sheet
};

inline constexpr SheetTransactionType kSheetTransactionTypes[] = {
    {"Buy", "long", 3, false, true},
    {"Sell Short", "short", 5, false, true},
    {"Sell", "long", 4, true, false},
    {"Cover Short", "short", 6, true, false},
    {"Dividend Stocks", "long", 12, false, true},
};

// The type whose name equals the text once both are lower-cased (no trimming); null for none.
const SheetTransactionType* FindSheetTransactionType(std::string_view typeText);

// One portfolio row as the sheet holds it: each cell's value as text, and the converted forms
// (the zero date and 0 for what is empty or does not read as a date or a number).
struct PortfolioRowValues {
    std::string symbol;
    std::string dateText;
    std::string typeText;
    std::string sharesText;
    std::string priceText;
    std::string commissionText;
    std::string remarks;
    base::Date date;
    double shares = 0;
    double price = 0;
    double commission = 0;
};

// The cell of the row in the column of the sheet's named range (1004 when the name is missing).
sheet::Range PortfolioRowCell(const sheet::Worksheet& sheet, std::int32_t row,
                              std::string_view name);

// Reads the row; a cell that cannot be read (a missing name, an error value) stays empty.
PortfolioRowValues ReadPortfolioRow(const sheet::Worksheet& sheet, std::int32_t row);

// True when the row differs from the transaction loaded when the row was entered: symbol and
// remarks without regard to case, date, shares, price and commission exactly.
bool RowDiffersFromRecord(const PortfolioRowValues& row);

}  // namespace kavex::addin::excelevents
