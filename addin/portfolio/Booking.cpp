#include "addin/portfolio/Booking.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/KnownSheets.h"
#include "addin/portfolio/LedgerCommit.h"
#include "addin/portfolio/Messages.h"
#include "addin/portfolio/PortfolioRewrite.h"
#include "addin/portfolio/TransactionDates.h"
#include "addin/portfolio/TransactionLimits.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"
#include "platform/forms/DialogDriver.h"

namespace kavex::addin::portfolio {

namespace {

using dialogs::TransactionEntryMode;

// How the completion messages ("Buy transaction completed.") name each trade.
struct CompletionNoun {
    short code;
    std::string_view noun;
};
constexpr CompletionNoun kCompletionNouns[] = {
    {3, "Buy"}, {5, "Sell Short"}, {12, "Dividend Stock"}, {4, "Sell"}, {6, "Cover Short"}};

std::string_view nounOf(short code) {
    for (const CompletionNoun& message : kCompletionNouns) {
        if (message.code == code) {
            return message.noun;
        }
    }
    return "The";
}

void checkAmount(double value, std::string_view what, bool zeroAllowed, double most) {
    if (!std::isfinite(value) || value < 0 || (!zeroAllowed && value == 0)) {
        throw PortfolioRefusal(std::string(what) + (zeroAllowed ? " must be a number of 0 or more."
                                                                : " must be a number above 0."));
    }
    if (value > most) {
        throw PortfolioRefusal(std::string(what) + " is too large.");
    }
}

void checkSymbol(const std::string& symbol) {
    if (symbol.empty()) {
        throw PortfolioRefusal("Symbol cannot be blank.");
    }
    bool listed = false;
    try {
        db::Recordset rows;
        rows.Open("SELECT Symbol FROM AQ_StockSymbolList WHERE Symbol = " + core::SqlQuoted(symbol),
                  marketdata::CacheConnection());
        listed = !rows.Eof();
        rows.Close();
    } catch (const std::exception& error) {
        core::WriteLog(
            "CheckSymbol", 1,
            "Error while reading the symbol list Error description : " + std::string(error.what()));
        throw PortfolioRefusal("The symbol list cannot be read, so " + symbol +
                               " cannot be checked. Please try again.");
    }
    if (!listed) {
        throw PortfolioRefusal("The symbol " + symbol + " is not in the symbol list.");
    }
}

void checkRemarks(const std::string& remarks) {
    if (IsVoidRemark(remarks)) {
        throw PortfolioRefusal("Remarks cannot end in \"" + std::string(kDeletedMark) +
                               "\": the history marks changed transactions with it.");
    }
}

LedgerEntry tradeEntry(short code, const std::string& symbol, base::Date date, double shares,
                       double price, double commission, const std::string& remarks) {
    const auto type = TypeOfCode(code);
    checkSymbol(symbol);
    if (const auto problem = TransactionDateProblem(date)) {
        throw PortfolioRefusal(*problem);
    }
    checkAmount(shares, "Number of shares", false, kMostShares);
    checkAmount(price, "Price", type && type->code == 12, kMostMoney);
    checkAmount(commission, "Commission", true, kMostMoney);
    checkRemarks(remarks);
    LedgerEntry entry{0,          base::toUpperAscii(symbol),
                      code,       base::datePart(date),
                      shares,     price,
                      commission, 0,
                      remarks};
    entry.amount = CashEffect(entry);
    return entry;
}

// The row the user typed that a hand-entered booking replaces.
int handRow() {
    return TransactionEntryMode == dialogs::kEntryModeHandEdit ? excelevents::PortfolioEditRow : 0;
}

// Books the change and rewrites the portfolio, telling the user why when it cannot. The rows the
// rewrite wrote are marked for the sheet-change handler unless the user typed them.
bool commit(std::string_view procedure, const PortfolioPair& pair, LedgerChange change) {
    const bool rewrittenBefore = core::PortfolioRowRewritten;
    const bool byHand = TransactionEntryMode == dialogs::kEntryModeHandEdit;
    try {
        core::PortfolioRowRewritten = true;
        CommitLedgerChange(pair, std::move(change), handRow());
        if (byHand) {
            core::PortfolioRowRewritten = rewrittenBefore;
        }
        return true;
    } catch (const PortfolioRefusal& refusal) {
        core::PortfolioRowRewritten = rewrittenBefore;
        ShowPortfolioMessage(refusal.what());
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        core::PortfolioRowRewritten = rewrittenBefore;
        core::WriteLog(
            procedure, 1,
            "Error while booking the transaction Error description : " + std::string(error.what()));
        ShowPortfolioMessage("The transaction could not be booked: " + std::string(error.what()));
    }
    return false;
}

// The id of the transaction of the portfolio row being edited; refused when the row holds none or
// its lot no longer shows what was booked.
long editedTransaction(const PortfolioPair& pair) {
    const PortfolioLayout layout = PortfolioLayoutOf(pair.portfolio);
    const std::int32_t row = dialogs::TransactionEditRow;
    const auto id = row > layout.headerRow ? NumberOf(pair.portfolio.cells(row, layout.id).value())
                                           : std::nullopt;
    if (!id || *id < 1) {
        throw PortfolioRefusal("The transaction to change is no longer on the portfolio sheet.");
    }
    const long wanted = static_cast<long>(*id);
    // The ledger and its books as known since the history last changed: no reading or playing
    // of the whole ledger again.
    const KnownLedger& known = LedgerOf(pair.history);
    const LedgerRow* booked = known.ledger.find(wanted);
    if (booked == nullptr || booked->voided) {
        throw PortfolioRefusal("Transaction " + std::to_string(wanted) +
                               " is not in the history any more.");
    }
    // A lot that a sale or a split has changed no longer shows what was booked; changing it
    // would book the changed figures a second time.
    if (const Books* open = std::get_if<Books>(&known.books)) {
        for (const Lot& lot : open->lots) {
            if (lot.id == wanted &&
                (lot.adjusted() || std::abs(lot.shares - booked->entry.shares) > 1e-9 ||
                 std::abs(lot.price - booked->entry.price) > 1e-9)) {
                throw PortfolioRefusal(
                    "Transaction " + std::to_string(wanted) +
                    " has been adjusted by a later sale or split and cannot be changed. Delete "
                    "the later transactions first.");
            }
        }
    }
    return wanted;
}

}  // namespace

bool BuyTransactionFunction(std::string typeName, std::string position, short typeCode,
                            std::string symbol, base::Date transactionDate, double numberOfShares,
                            double price, double commission, std::string remarks) {
    static constexpr std::string_view kProcedure = "BuyTransactionFunction";
    core::WriteLog(kProcedure, 3, "Entering");
    const bool edit = TransactionEntryMode == dialogs::kEntryModeEdit;
    bool booked = false;
    try {
        const auto type = TypeOfCode(typeCode);
        if (!type || type->effect != Effect::Open ||
            !base::equalsIgnoringCase(core::TrimWhitespace(typeName), type->name) ||
            !base::equalsIgnoringCase(position, PositionText(type->position))) {
            throw PortfolioRefusal("\"" + typeName + "\" is not a purchase or short sale.");
        }
        const PortfolioPair pair = ActivePortfolio();
        LedgerChange change;
        if (edit) {
            change.voided = editedTransaction(pair);
            remarks = WithoutEditMark(remarks) + std::string(kCreatedMark);
        }
        change.added = tradeEntry(typeCode, core::TrimWhitespace(symbol), transactionDate,
                                  numberOfShares, price, commission, remarks);
        booked = commit(kProcedure, pair, std::move(change));
        if (booked) {
            ShowPortfolioMessage(std::string(nounOf(typeCode)) +
                                 (edit ? " transaction Updated." : " transaction completed."));
        }
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    }
    TransactionEntryMode.clear();
    core::WriteLog(kProcedure, 3, "Exiting");
    return booked;
}

bool SellTransactionFunction(std::string typeName, std::string position, short typeCode,
                             short /*transactionType*/, std::string symbol,
                             base::Date transactionDate, double numberOfShares, double price,
                             double commission, std::string remarks) {
    static constexpr std::string_view kProcedure = "SellTransactionFunction";
    core::WriteLog(kProcedure, 3, "Entering");
    bool booked = false;
    try {
        const auto type = TypeOfCode(typeCode);
        if (!type || type->effect != Effect::Close ||
            !base::equalsIgnoringCase(core::TrimWhitespace(typeName), type->name) ||
            !base::equalsIgnoringCase(position, PositionText(type->position))) {
            throw PortfolioRefusal("\"" + typeName + "\" is not a sale or a cover.");
        }
        const PortfolioPair pair = ActivePortfolio();
        LedgerChange change;
        change.added = tradeEntry(typeCode, core::TrimWhitespace(symbol), transactionDate,
                                  numberOfShares, price, commission, remarks);
        booked = commit(kProcedure, pair, std::move(change));
        if (booked) {
            ShowPortfolioMessage(std::string(nounOf(typeCode)) + " transaction completed.");
        }
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    }
    TransactionEntryMode.clear();
    core::WriteLog(kProcedure, 3, "Exiting");
    return booked;
}

bool AddCashToPortFolioHistory(std::string& typeText, base::Date& transactionDate, double& amount,
                               std::string& typeCode, std::string& remarks) {
    static constexpr std::string_view kProcedure = "AddCashToPortFolioHistory";
    core::WriteLog(kProcedure, 3, "Entering");
    bool booked = false;
    try {
        const auto code = base::parseNumber(typeCode);
        const auto type = code ? TypeOfCode(static_cast<short>(*code)) : std::nullopt;
        if (!type || (type->effect != Effect::CashIn && type->effect != Effect::CashOut) ||
            !base::equalsIgnoringCase(core::TrimWhitespace(typeText), type->name)) {
            throw PortfolioRefusal("\"" + typeText + "\" is not a cash transaction.");
        }
        if (const auto problem = TransactionDateProblem(transactionDate)) {
            throw PortfolioRefusal(*problem);
        }
        checkAmount(amount, "Amount", true, kMostMoney);
        checkRemarks(remarks);
        const PortfolioPair pair = ActivePortfolio();
        LedgerChange change;
        change.added = LedgerEntry{0, "",     type->code, base::datePart(transactionDate), 0, 0,
                                   0, amount, remarks};
        booked = commit(kProcedure, pair, std::move(change));
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    }
    core::WriteLog(kProcedure, 3, "Exiting");
    return booked;
}

void RefreshPortFolioSheet() {
    static constexpr std::string_view kProcedure = "RefreshPortFolioSheet";
    core::WriteLog(kProcedure, 3, "Entering");
    try {
        RewriteFromLedger(ActivePortfolio(), handRow());
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        core::WriteLog(
            kProcedure, 1,
            "Error while rewriting the portfolio Error description : " + std::string(error.what()));
    }
    core::WriteLog(kProcedure, 3, "Exiting");
}

bool DeleteHistoryTransaction(const sheet::Worksheet& history, int row) {
    static constexpr std::string_view kProcedure = "DeleteHistoryTransaction";
    try {
        const PortfolioPair pair = PortfolioOf(history);
        const KnownLedger* known = LedgerKnown(pair.history);
        const HistoryLayout layout =
            known != nullptr ? known->layout : HistoryLayoutOf(pair.history);
        if (row < layout.firstRow()) {
            throw PortfolioRefusal("That row holds no transaction.");
        }
        const LedgerRows& ledger = LedgerOf(pair.history).ledger;
        const auto found = std::find_if(ledger.rows.begin(), ledger.rows.end(),
                                        [&](const LedgerRow& r) { return r.row == row; });
        if (found == ledger.rows.end()) {
            throw PortfolioRefusal("That row holds no transaction.");
        }
        // Later sales may have used the shares this transaction brought: then it must stay.
        std::vector<LedgerEntry> rest;
        for (const LedgerRow& other : ledger.rows) {
            if (!other.voided && other.row != row) {
                rest.push_back(other.entry);
            }
        }
        auto replayed = Replay(std::move(rest));
        if (const auto* refusal = std::get_if<BookingRefusal>(&replayed)) {
            const std::string later = std::to_string(refusal->id);
            throw PortfolioRefusal("Transaction " + std::to_string(found->entry.id) +
                                   " cannot be deleted: transaction " + later +
                                   " uses its shares. Delete transaction " + later + " first.");
        }
        LedgerChange change;
        change.removedRow = row;
        // The books the check played are those the deletion leaves: the commit need not play the
        // ledger a second time.
        change.books = std::get<Books>(std::move(replayed));
        return commit(kProcedure, pair, std::move(change));
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    }
    return false;
}

}  // namespace kavex::addin::portfolio
