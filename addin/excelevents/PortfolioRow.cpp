#include "addin/excelevents/PortfolioRow.h"

#include "addin/core/Errors.h"
#include "addin/portfolio/TransactionRecord.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"

namespace kavex::addin::excelevents {

namespace {

double NumberOrZero(const std::string& text) {
    return !text.empty() && base::IsNumeric(text) ? base::CDbl(text) : 0.0;
}

}  // namespace

const SheetTransactionType* FindSheetTransactionType(std::string_view typeText) {
    const std::string lower = base::toLowerAscii(typeText);
    for (const SheetTransactionType& type : kSheetTransactionTypes) {
        if (base::toLowerAscii(type.name) == lower) {
            return &type;
        }
    }
    return nullptr;
}

sheet::Range PortfolioRowCell(const sheet::Worksheet& sheet, std::int32_t row,
                              std::string_view name) {
    return sheet.cells(row, sheet.range(name).column());
}

PortfolioRowValues ReadPortfolioRow(const sheet::Worksheet& sheet, std::int32_t row) {
    core::StepTrap trap;
    PortfolioRowValues values;
    const struct {
        std::string_view name;
        std::string* text;
    } cells[] = {{"PortfolioSymbol", &values.symbol},
                 {"PortfolioTransactionDate", &values.dateText},
                 {"PortfolioTransactionTypeDescription", &values.typeText},
                 {"PortfolioNoofShares", &values.sharesText},
                 {"PortfolioPrice", &values.priceText},
                 {"PortfolioCommission", &values.commissionText},
                 {"PortfolioRemarks", &values.remarks}};
    for (const auto& cell : cells) {
        trap([&] { *cell.text = base::CStr(PortfolioRowCell(sheet, row, cell.name).value()); });
    }
    if (!values.dateText.empty() && base::IsDate(values.dateText)) {
        values.date = base::CDate(values.dateText);
    }
    values.shares = NumberOrZero(values.sharesText);
    values.price = NumberOrZero(values.priceText);
    values.commission = NumberOrZero(values.commissionText);
    return values;
}

bool RowDiffersFromRecord(const PortfolioRowValues& row) {
    const auto& record = portfolio::TransactionRecord;
    return base::toLowerAscii(record.Equity) != base::toLowerAscii(row.symbol) ||
           record.TransactionDate != row.date || record.NumberOfShares != row.shares ||
           record.Price != row.price || record.Commission != row.commission ||
           base::toLowerAscii(record.Remarks) != base::toLowerAscii(row.remarks);
}

}  // namespace kavex::addin::excelevents
