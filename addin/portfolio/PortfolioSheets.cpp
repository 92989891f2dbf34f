#include "addin/portfolio/PortfolioSheets.h"

#include <cmath>
#include <set>

#include "addin/core/Globals.h"
#include "addin/core/Strings.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/Messages.h"
#include "addin/portfolio/TransactionDates.h"
#include "addin/portfolio/TransactionLimits.h"
#include "platform/base/Conversions.h"
#include "platform/base/Format.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"

namespace kavex::addin::portfolio {

namespace {

constexpr std::string_view kPortfolioKind = "WSName_Portfolio";
constexpr std::string_view kHistoryKind = "WSName_PortfolioHistory";
constexpr std::string_view kHistorySuffix = " History";
// A sheet-level name of the history sheet holding the highest id given, as a number constant.
constexpr const char* kLastIdName = "PortfolioLastTransactionID";

int lastUsedRow(const sheet::Worksheet& sheet) {
    const sheet::Range used = sheet.usedRange();
    return used.row() + used.rowCount() - 1;
}

int lastUsedColumn(const sheet::Worksheet& sheet) {
    const sheet::Range used = sheet.usedRange();
    return used.column() + used.columnCount() - 1;
}

// The column of the header cell with that caption; 0 when the header row has none.
int columnOfCaption(const sheet::Worksheet& sheet, int headerRow, std::string_view caption) {
    const int last = lastUsedColumn(sheet);
    for (int column = 1; column <= last; ++column) {
        if (base::equalsIgnoringCase(
                core::TrimWhitespace(TextOf(sheet.cells(headerRow, column).value())), caption)) {
            return column;
        }
    }
    return 0;
}

[[noreturn]] void refuseLayout(const sheet::Worksheet& sheet, std::string_view what) {
    throw PortfolioRefusal("The sheet \"" + sheet.name() + "\" has no " + std::string(what) +
                           " column, so its transactions cannot be kept.");
}

[[noreturn]] void refuseRow(const sheet::Worksheet& sheet, int row, std::string_view why) {
    throw PortfolioRefusal("Row " + std::to_string(row) + " of the sheet \"" + sheet.name() +
                           "\" cannot be read: " + std::string(why) +
                           ". Correct or clear that row, then try again.");
}

// The last day the host's dates reach.
const base::Date kLatestDate = *base::makeDate(9999, 12, 31);

// A finite number whose size is at most `most` (either sign: a withdrawal's amount may be kept
// negative); the sign rules are each column's own.
bool atMost(const std::optional<double>& number, double most) {
    return number && std::isfinite(*number) && std::abs(*number) <= most;
}

// A limit as the messages show it: "1,000,000,000".
std::string figure(double limit) {
    return base::formatNumber(limit, "#,##0");
}

long readLastId(const sheet::Worksheet& history) {
    try {
        std::string refersTo = history.names().item(kLastIdName).refersTo();
        if (!refersTo.empty() && refersTo.front() == '=') {
            refersTo.erase(0, 1);
        }
        const auto number = base::parseNumber(refersTo);
        return number && *number > 0 ? static_cast<long>(*number) : 0;
    } catch (const base::PlatformError&) {
        return 0;
    }
}

}  // namespace

bool HasKindName(const sheet::Worksheet& sheet, std::string_view kindName) {
    try {
        const sheet::Name name = sheet.names().item(kindName);
        return name.parentSheet() == sheet;
    } catch (const base::PlatformError&) {
        return false;
    }
}

PortfolioPair PortfolioOf(const sheet::Worksheet& sheet) {
    if (sheet.isNothing()) {
        throw PortfolioRefusal("Open a portfolio sheet first.");
    }
    const sheet::Worksheets sheets = sheet.parent().worksheets();
    const std::string name = sheet.name();
    try {
        if (HasKindName(sheet, kPortfolioKind)) {
            const sheet::Worksheet history = sheets.item(name + std::string(kHistorySuffix));
            if (HasKindName(history, kHistoryKind)) {
                return {sheet, history};
            }
        } else if (HasKindName(sheet, kHistoryKind) && name.size() > kHistorySuffix.size() &&
                   name.ends_with(kHistorySuffix)) {
            const sheet::Worksheet portfolio =
                sheets.item(name.substr(0, name.size() - kHistorySuffix.size()));
            if (HasKindName(portfolio, kPortfolioKind)) {
                return {portfolio, sheet};
            }
        } else {
            throw PortfolioRefusal("Open a portfolio sheet first.");
        }
    } catch (const base::PlatformError&) {
        // The partner sheet is missing: refused below.
    }
    throw PortfolioRefusal("The portfolio \"" + name +
                           "\" has lost its partner sheet; its transactions cannot be kept.");
}

PortfolioPair ActivePortfolio() {
    if (core::ExcelApp == nullptr) {
        throw PortfolioRefusal("Open a portfolio sheet first.");
    }
    return PortfolioOf(core::ExcelApp->activeSheet());
}

std::vector<PortfolioPair> PortfoliosOf(const sheet::Workbook& workbook) {
    std::vector<PortfolioPair> pairs;
    const sheet::Worksheets sheets = workbook.worksheets();
    for (int index = 1; index <= sheets.count(); ++index) {
        const sheet::Worksheet sheet = sheets.item(index);
        if (!HasKindName(sheet, kPortfolioKind)) {
            continue;
        }
        try {
            pairs.push_back(PortfolioOf(sheet));
        } catch (const PortfolioRefusal&) {
            // A portfolio without its history has nothing to book into.
        }
    }
    return pairs;
}

HistoryLayout HistoryLayoutOf(const sheet::Worksheet& history) {
    HistoryLayout layout;
    try {
        const sheet::Range id = history.range("PortfolioHistoryID");
        layout.headerRow = id.row();
        layout.id = id.column();
        layout.symbol = history.range("PortfolioHistorySymbol").column();
        layout.date = history.range("PortfolioHistoryTransactionDate").column();
    } catch (const base::PlatformError&) {
        refuseLayout(history, "ID, symbol or date");
    }
    const struct {
        int HistoryLayout::*column;
        std::string_view caption;
    } captions[] = {{&HistoryLayout::type, "Type"},     {&HistoryLayout::shares, "Shares"},
                    {&HistoryLayout::price, "Price"},   {&HistoryLayout::commission, "Commission"},
                    {&HistoryLayout::amount, "Amount"}, {&HistoryLayout::remarks, "Remarks"}};
    for (const auto& [column, caption] : captions) {
        layout.*column = columnOfCaption(history, layout.headerRow, caption);
        if (layout.*column == 0) {
            refuseLayout(history, "\"" + std::string(caption) + "\"");
        }
    }
    layout.link = layout.remarks + 1;
    return layout;
}

std::vector<LedgerEntry> LedgerRows::entries() const {
    std::vector<LedgerEntry> list;
    list.reserve(rows.size());
    for (const LedgerRow& row : rows) {
        if (!row.voided) {
            list.push_back(row.entry);
        }
    }
    return list;
}

const LedgerRow* LedgerRows::find(long id) const {
    for (const LedgerRow& row : rows) {
        if (row.entry.id == id) {
            return &row;
        }
    }
    return nullptr;
}

LedgerRows ReadLedger(const sheet::Worksheet& history, const HistoryLayout& layout) {
    LedgerRows ledger;
    ledger.lastRow = std::max(layout.headerRow, lastUsedRow(history));
    ledger.lastId = readLastId(history);
    std::set<long> ids;
    for (int row = layout.firstRow(); row <= ledger.lastRow; ++row) {
        auto cell = [&](int column) { return history.cells(row, column).value(); };
        const base::Variant id = cell(layout.id), symbol = cell(layout.symbol),
                            type = cell(layout.type), date = cell(layout.date),
                            shares = cell(layout.shares), price = cell(layout.price),
                            commission = cell(layout.commission), amount = cell(layout.amount),
                            remarks = cell(layout.remarks);
        if (IsBlank(id) && IsBlank(symbol) && IsBlank(type) && IsBlank(date) && IsBlank(shares) &&
            IsBlank(price) && IsBlank(commission) && IsBlank(amount)) {
            continue;  // an empty row, or a remark alone
        }
        LedgerRow entry{{}, row};
        const auto idNumber = NumberOf(id);
        if (!idNumber || *idNumber < 1 || *idNumber != std::floor(*idNumber) || *idNumber > 2e9) {
            refuseRow(history, row, "its ID is not a whole number from 1 up");
        }
        entry.entry.id = static_cast<long>(*idNumber);
        if (!ids.insert(entry.entry.id).second) {
            refuseRow(history, row, "its ID " + std::to_string(entry.entry.id) + " is used twice");
        }
        const auto kind = TypeOfName(TextOf(type));
        if (!kind) {
            refuseRow(history, row, "its type \"" + TextOf(type) + "\" is not a transaction type");
        }
        entry.entry.code = kind->code;
        entry.entry.symbol = core::TrimWhitespace(TextOf(symbol));
        entry.entry.remarks = TextOf(remarks);
        entry.voided = IsVoidRemark(entry.entry.remarks);
        const auto when = DateOf(date);
        if (!when || !std::isfinite(when->serial) || *when > kLatestDate) {
            refuseRow(history, row, "its date does not read as a date");
        }
        // A row is held to what a booking accepts, so that nothing is booked on top of figures
        // no booking could have written.
        if (*when < EarliestTransactionDate()) {
            refuseRow(history, row, "its date is before March 1, 1900");
        }
        entry.entry.date = *when;
        const bool cash = kind->effect == Effect::CashIn || kind->effect == Effect::CashOut;
        if (cash) {
            const auto sum = NumberOf(amount);
            if (!sum) {
                refuseRow(history, row, "its amount is not a number");
            }
            if (!atMost(sum, kMostMoney)) {
                refuseRow(history, row, "its amount is more than " + figure(kMostMoney));
            }
            entry.entry.amount = std::abs(*sum);
        } else {
            if (entry.entry.symbol.empty()) {
                refuseRow(history, row, "it has no symbol");
            }
            const auto count = NumberOf(shares);
            if (!count || *count <= 0) {
                refuseRow(history, row, "its shares are not a number above 0");
            }
            if (!atMost(count, kMostShares)) {
                refuseRow(history, row, "its shares are more than " + figure(kMostShares));
            }
            entry.entry.shares = *count;
            if (kind->effect != Effect::Split) {
                const auto each = IsBlank(price) ? std::optional<double>(0) : NumberOf(price);
                const auto fee =
                    IsBlank(commission) ? std::optional<double>(0) : NumberOf(commission);
                if (!each || *each < 0 || !fee || *fee < 0) {
                    refuseRow(history, row, "its price or commission is not a number of 0 or more");
                }
                if (!atMost(each, kMostMoney) || !atMost(fee, kMostMoney)) {
                    refuseRow(history, row,
                              "its price or commission is more than " + figure(kMostMoney));
                }
                entry.entry.price = *each;
                entry.entry.commission = *fee;
            }
            entry.entry.amount = CashEffect(entry.entry);
        }
        ledger.lastId = std::max(ledger.lastId, entry.entry.id);
        ledger.rows.push_back(std::move(entry));
    }
    return ledger;
}

void WriteLedgerRow(const sheet::Worksheet& history, const HistoryLayout& layout, int row,
                    const LedgerEntry& entry) {
    auto cell = [&](int column) { return history.cells(row, column); };
    const auto type = TypeOfCode(entry.code);
    const bool cash = type && (type->effect == Effect::CashIn || type->effect == Effect::CashOut);
    SetNumber(cell(layout.id), static_cast<double>(entry.id), kIdFormat);
    SetText(cell(layout.symbol), entry.symbol);
    SetText(cell(layout.type), type ? std::string(type->name) : std::string());
    SetDate(cell(layout.date), entry.date);
    if (cash) {
        cell(layout.shares).clearContents();
        cell(layout.price).clearContents();
        cell(layout.commission).clearContents();
    } else {
        SetNumber(cell(layout.shares), entry.shares, SharesFormat(entry.shares));
        if (type && type->effect == Effect::Split) {
            cell(layout.price).clearContents();
            cell(layout.commission).clearContents();
        } else {
            SetNumber(cell(layout.price), entry.price, core::PriceFormat);
            SetNumber(cell(layout.commission), entry.commission, core::PriceFormat);
        }
    }
    SetNumber(cell(layout.amount), CashEffect(entry), core::PriceFormat);
    SetText(cell(layout.remarks), entry.remarks);
    sheet::Range link = cell(layout.link);
    SetText(link, kDeleteLinkText);
    link.hyperlinks().delete_();
    history.hyperlinks().add(link, "", kDeleteLinkTarget);
}

void ClearLedgerRow(const sheet::Worksheet& history, const HistoryLayout& layout, int row) {
    const sheet::Range cells = history.range(history.cells(row, std::min(layout.id, layout.symbol)),
                                             history.cells(row, layout.link));
    cells.hyperlinks().delete_();
    sheet::Range(cells).clearContents();
}

std::string WithoutEditMark(const std::string& remarks) {
    const std::string trimmed = core::TrimWhitespace(remarks);
    for (const std::string_view mark : {kDeletedMark, kCreatedMark}) {
        if (trimmed.size() >= mark.size() &&
            base::equalsIgnoringCase(std::string_view(trimmed).substr(trimmed.size() - mark.size()),
                                     mark)) {
            return core::TrimWhitespace(trimmed.substr(0, trimmed.size() - mark.size()));
        }
    }
    return trimmed;
}

bool IsVoidRemark(const std::string& remarks) {
    const std::string trimmed = core::TrimWhitespace(remarks);
    return trimmed.size() >= kDeletedMark.size() &&
           base::equalsIgnoringCase(
               std::string_view(trimmed).substr(trimmed.size() - kDeletedMark.size()),
               kDeletedMark);
}

void RecordLastId(const sheet::Worksheet& history, long id) {
    const std::string refersTo = "=" + std::to_string(id);
    try {
        history.names().item(kLastIdName).setRefersTo(refersTo);
        return;
    } catch (const base::PlatformError&) {
        // Not recorded yet: added below.
    }
    history.names().add(kLastIdName, refersTo);
}

}  // namespace kavex::addin::portfolio
