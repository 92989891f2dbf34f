#include "addin/portfolio/DividendsAndSplits.h"

#include <algorithm>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/portfolio/LedgerCommit.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "platform/base/Conversions.h"
#include "platform/base/Format.h"
#include "platform/base/Text.h"

namespace kavex::addin::portfolio {

namespace {

constexpr std::string_view kProcedure = "BookDividendsAndSplits";

std::vector<PortfolioPair> openPortfolios() {
    std::vector<PortfolioPair> pairs;
    if (core::ExcelApp == nullptr) {
        return pairs;
    }
    sheet::Workbooks books = core::ExcelApp->workbooks();
    for (int index = 1; index <= books.count(); ++index) {
        const sheet::Workbook book = books.item(index);
        if (core::IsKavexWorkbook(book, false)) {
            for (PortfolioPair& pair : PortfoliosOf(book)) {
                pairs.push_back(std::move(pair));
            }
        }
    }
    return pairs;
}

bool sameDay(base::Date a, base::Date b) {
    return base::datePart(a) == base::datePart(b);
}

// The row the action makes in this ledger; nullopt when the portfolio has nothing for it or has
// booked it already.
std::optional<LedgerEntry> entryFor(const LedgerRows& ledger, const CorporateAction& action) {
    const bool dividend = base::equalsIgnoringCase(action.type, "Dividend");
    const bool split = base::equalsIgnoringCase(action.type, "Split");
    if (!dividend && !split) {
        return std::nullopt;
    }
    for (const LedgerRow& row : ledger.rows) {
        const auto type = TypeOfCode(row.entry.code);
        const bool sameKind = type && (dividend ? type->effect == Effect::DividendCash
                                                : type->effect == Effect::Split);
        if (sameKind && base::equalsIgnoringCase(row.entry.symbol, action.symbol) &&
            sameDay(row.entry.date, action.effectiveDate)) {
            return std::nullopt;
        }
    }
    const std::vector<LedgerEntry> entries = ledger.entries();
    LedgerEntry entry;
    entry.symbol = base::toUpperAscii(action.symbol);
    entry.date = base::datePart(action.effectiveDate);
    if (dividend) {
        const auto perShare = base::parseNumber(action.value);
        const double held = SharesHeld(entries, action.symbol, action.effectiveDate);
        if (!perShare || *perShare <= 0 || held <= 0) {
            return std::nullopt;
        }
        entry.code = 11;
        entry.shares = held;
        entry.price = *perShare;
        entry.remarks =
            "Dividend of " + base::formatNumber(*perShare, "$#,##0.00##") + " per share";
    } else {
        const auto factor = SplitFactor(action.value);
        const double open =
            SharesHeld(entries, action.symbol, action.effectiveDate) +
            SharesHeld(entries, action.symbol, action.effectiveDate, Position::Short);
        if (!factor || open <= 0) {
            return std::nullopt;
        }
        entry.code = 8;
        entry.shares = *factor;
        entry.remarks = "Split " + action.value;
    }
    entry.amount = CashEffect(entry);
    return entry;
}

}  // namespace

std::vector<std::string> PortfolioSymbols() {
    std::vector<std::string> symbols;
    for (const PortfolioPair& pair : openPortfolios()) {
        try {
            const LedgerRows ledger = ReadLedger(pair.history, HistoryLayoutOf(pair.history));
            for (const LedgerRow& row : ledger.rows) {
                const std::string symbol = base::toUpperAscii(row.entry.symbol);
                if (!symbol.empty() &&
                    std::find(symbols.begin(), symbols.end(), symbol) == symbols.end()) {
                    symbols.push_back(symbol);
                }
            }
        } catch (const std::exception& error) {
            core::WriteLog(kProcedure, 1,
                           "Error while reading the history of " + pair.portfolio.name() +
                               " Error description : " + error.what());
        }
    }
    std::sort(symbols.begin(), symbols.end());
    return symbols;
}

int BookDividendsAndSplits(const std::vector<CorporateAction>& actions) {
    int booked = 0;
    for (const PortfolioPair& pair : openPortfolios()) {
        try {
            for (const CorporateAction& action : actions) {
                const HistoryLayout layout = HistoryLayoutOf(pair.history);
                const auto entry = entryFor(ReadLedger(pair.history, layout), action);
                if (!entry) {
                    continue;
                }
                // The rows are written to this portfolio, whichever sheet the user is on.
                core::PortfolioRowRewritten = true;
                CommitLedgerChange(pair, LedgerChange{entry, 0, 0, std::nullopt}, 0);
                ++booked;
                core::WriteLog(kProcedure, 2,
                               action.type + " " + action.symbol + " " + action.value +
                                   " booked into " + pair.portfolio.name());
            }
        } catch (const std::exception& error) {
            core::WriteLog(kProcedure, 1,
                           "Error while booking into " + pair.portfolio.name() +
                               " Error description : " + error.what());
        }
    }
    return booked;
}

}  // namespace kavex::addin::portfolio
