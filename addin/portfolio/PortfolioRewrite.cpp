#include "addin/portfolio/PortfolioRewrite.h"

#include <algorithm>
#include <map>
#include <optional>
#include <regex>

#include "addin/core/Globals.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/HostSwitches.h"
#include "addin/portfolio/KnownSheets.h"
#include "addin/portfolio/Messages.h"
#include "addin/portfolio/RowFormulas.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"

namespace kavex::addin::portfolio {

namespace {

constexpr std::string_view kLastTradePrice = "Last Trade Price";

int columnOf(const sheet::Worksheet& sheet, std::string_view name) {
    try {
        return sheet.range(name).column();
    } catch (const base::PlatformError&) {
        return 0;
    }
}

std::string relative(const sheet::Worksheet& sheet, int row, int column) {
    return sheet.cells(row, column).address(false, false);
}

// A formula that referred to cells of its row, moved to another row: references without a "$"
// before the row number follow the row.
std::string movedToRow(const std::string& formula, int from, int to) {
    if (from == to || !formula.starts_with('=')) {
        return formula;
    }
    static const std::regex reference(R"(((?:^|[^A-Za-z0-9_$])\$?[A-Za-z]{1,3})(\d+)(?![0-9(]))");
    std::string result;
    auto last = formula.cbegin();
    for (std::sregex_iterator it(formula.begin(), formula.end(), reference), end; it != end; ++it) {
        const std::smatch& match = *it;
        result.append(last, match[0].first);
        result += match[1].str();
        result += match[2].str() == std::to_string(from) ? std::to_string(to) : match[2].str();
        last = match[0].second;
    }
    result.append(last, formula.cend());
    return result;
}

// What a row keeps across a rewrite: the alert cells of a booked transaction, or the whole of a
// row a user typed that is not booked.
struct KeptRow {
    int row = 0;
    std::vector<std::string> formulas;  // by column, from column 1
};

std::vector<std::string> formulasOf(const sheet::Worksheet& sheet, int row, int lastColumn) {
    std::vector<std::string> formulas;
    for (int column = 1; column <= lastColumn; ++column) {
        formulas.push_back(sheet.cells(row, column).formula());
    }
    return formulas;
}

bool holdsEntry(const sheet::Worksheet& sheet, const PortfolioLayout& layout, int row) {
    for (int column : {layout.symbol, layout.type, layout.position, layout.date, layout.shares,
                       layout.price, layout.commission, layout.remarks}) {
        if (!IsBlank(sheet.cells(row, column).value())) {
            return true;
        }
    }
    return false;
}

void writeLot(const sheet::Worksheet& sheet, const PortfolioLayout& layout, int row,
              const Lot& lot) {
    auto cell = [&](int column) { return sheet.cells(row, column); };
    const auto type = TypeOfCode(lot.code);
    SetNumber(cell(layout.id), static_cast<double>(lot.id), kIdFormat);
    sheet.hyperlinks().add(cell(layout.id), "", kEditLinkTarget);
    SetText(cell(layout.symbol), lot.symbol);
    SetText(cell(layout.type), type ? std::string(type->name) : std::string());
    SetText(cell(layout.position), std::string(PositionText(lot.position)));
    SetDate(cell(layout.date), lot.date);
    SetNumber(cell(layout.shares), lot.shares, SharesFormat(lot.shares));
    SetNumber(cell(layout.price), lot.price, core::PriceFormat);
    SetNumber(cell(layout.commission), lot.commission, core::PriceFormat);
    SetText(cell(layout.remarks), lot.remarks);

    WriteSymbolRowFormulas(sheet, row, layout.symbol, layout.attributes);

    // Gain and loss against the last trade price the row shows; empty while it shows no price.
    const auto last = std::find_if(layout.attributes.begin(), layout.attributes.end(),
                                   [](const auto& a) { return a.second == kLastTradePrice; });
    if (last == layout.attributes.end()) {
        return;
    }
    const std::string price = "VALUE(" + relative(sheet, row, last->first) + ")";
    const std::string shares = relative(sheet, row, layout.shares);
    const std::string cost = relative(sheet, row, layout.price);
    const std::string fee = relative(sheet, row, layout.commission);
    const std::string gain = lot.position == Position::Short
                                 ? "(" + cost + "-" + price + ")*" + shares + "-" + fee
                                 : "(" + price + "-" + cost + ")*" + shares + "-" + fee;
    const std::string basis = "(" + cost + "*" + shares + "+" + fee + ")";
    if (layout.gainDollar != 0) {
        cell(layout.gainDollar).setNumberFormat(core::PriceFormat);
        cell(layout.gainDollar).setFormula("=IF(ISERROR(" + price + "),\"\"," + gain + ")");
    }
    if (layout.gainPercent != 0) {
        cell(layout.gainPercent).setNumberFormat(kPercentFormat);
        cell(layout.gainPercent)
            .setFormula("=IF(ISERROR(" + price + "),\"\",IF(" + basis + "=0,\"\",(" + gain + ")/" +
                        basis + "))");
    }
}

// The edit links lead to a name of the sheet, as in-document links do; a sheet that lacks it gets
// it, on its ID header, so that following a link never lands on "Reference isn't valid."
void ensureEditLinkTarget(const sheet::Worksheet& sheet, const PortfolioLayout& layout) {
    if (HasKindName(sheet, kEditLinkTarget)) {
        return;
    }
    sheet.names().add(kEditLinkTarget, "='" + sheet.name() + "'!" +
                                           sheet.cells(layout.headerRow, layout.id).address());
}

}  // namespace

PortfolioLayout PortfolioLayoutOf(const sheet::Worksheet& portfolio) {
    PortfolioLayout layout;
    try {
        const sheet::Range symbol = portfolio.range("PortfolioSymbol");
        layout.headerRow = symbol.row();
        layout.symbol = symbol.column();
        layout.id = portfolio.range("PortfolioTransactionID").column();
        layout.type = portfolio.range("PortfolioTransactionTypeDescription").column();
        layout.position = portfolio.range("PortfolioPosition").column();
        layout.date = portfolio.range("PortfolioTransactionDate").column();
        layout.shares = portfolio.range("PortfolioNoofShares").column();
        layout.price = portfolio.range("PortfolioPrice").column();
        layout.commission = portfolio.range("PortfolioCommission").column();
        layout.remarks = portfolio.range("PortfolioRemarks").column();
        const sheet::Range cash = portfolio.range("PortfolioCashPosition");
        layout.cashRow = cash.row();
        layout.cashColumn = cash.column();
    } catch (const base::PlatformError&) {
        throw PortfolioRefusal("The sheet \"" + portfolio.name() +
                               "\" has lost one of its portfolio columns, so it cannot show the "
                               "portfolio.");
    }
    layout.gainDollar = columnOf(portfolio, "PortfolioGainLossDollar");
    layout.gainPercent = columnOf(portfolio, "PortfolioGainLossPercentage");
    layout.alert = columnOf(portfolio, "PortFolioAlert");
    layout.alertId = columnOf(portfolio, "PortfolioAlertID");
    try {
        for (const sheet::Range& header : portfolio.range("WatchlistAttribHeader").eachCell()) {
            layout.attributes.emplace_back(header.column(), TextOf(header.value()));
        }
    } catch (const base::PlatformError&) {
        // A portfolio without attribute columns shows none.
    }
    const sheet::Range used = portfolio.usedRange();
    layout.lastColumn = used.column() + used.columnCount() - 1;
    for (int column : {layout.id, layout.symbol, layout.type, layout.position, layout.date,
                       layout.shares, layout.price, layout.commission, layout.remarks,
                       layout.gainDollar, layout.gainPercent, layout.alert, layout.alertId}) {
        layout.lastColumn = std::max(layout.lastColumn, column);
    }
    for (const auto& attribute : layout.attributes) {
        layout.lastColumn = std::max(layout.lastColumn, attribute.first);
    }
    return layout;
}

namespace {

// The lots in the order the sheet shows them: by symbol, then date, then id.
std::vector<Lot> sortedLots(const Books& books) {
    // Each symbol upper-cased once, not at every comparison.
    std::vector<std::pair<std::string, const Lot*>> keyed;
    keyed.reserve(books.lots.size());
    for (const Lot& lot : books.lots) {
        keyed.emplace_back(base::toUpperAscii(lot.symbol), &lot);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return a.first < b.first;
        }
        const Lot& x = *a.second;
        const Lot& y = *b.second;
        return x.date != y.date ? x.date < y.date : x.id < y.id;
    });
    std::vector<Lot> lots;
    // Room for the lots of the next bookings: a new lot then moves none of the others.
    lots.reserve(keyed.size() + keyed.size() / 4 + 16);
    for (const auto& [symbol, lot] : keyed) {
        lots.push_back(*lot);
    }
    return lots;
}

// True when the two lots make the same row.
bool sameRow(const Lot& a, const Lot& b) {
    return a.id == b.id && a.symbol == b.symbol && a.code == b.code && a.position == b.position &&
           a.date == b.date && a.shares == b.shares && a.price == b.price &&
           a.commission == b.commission && a.remarks == b.remarks;
}

// Rewrites the sheet from the lot `from` on (0: all of it), as the whole rewrite does: the rows
// of the lots before it are left as they stand, which is what rewriting them would give again.
// Returns how many typed rows follow the lots.
// lastRow is the last row that may hold anything to keep or clear; by default the sheet's last
// used row.
std::size_t rewriteFrom(const sheet::Worksheet& sheet, const PortfolioLayout& layout,
                        const std::vector<Lot>& lots, std::size_t from, double cash, int handRow,
                        std::optional<int> knownLastRow = std::nullopt) {
    int lastRow = layout.headerRow;
    if (knownLastRow) {
        lastRow = std::max(lastRow, *knownLastRow);
    } else {
        const sheet::Range used = sheet.usedRange();
        lastRow = std::max(lastRow, used.row() + used.rowCount() - 1);
    }
    const int start = layout.firstRow() + static_cast<int>(from);

    // What stays: the alert cells of each booked transaction, and rows typed but not booked.
    std::map<long, KeptRow> alerts;
    std::vector<KeptRow> typed;
    for (int row = start; row <= lastRow; ++row) {
        const auto id = NumberOf(sheet.cells(row, layout.id).value());
        if (id && *id >= 1) {
            if (layout.alert != 0 || layout.alertId != 0) {
                KeptRow kept{row, {}};
                kept.formulas.push_back(layout.alert ? sheet.cells(row, layout.alert).formula()
                                                     : std::string());
                kept.formulas.push_back(layout.alertId ? sheet.cells(row, layout.alertId).formula()
                                                       : std::string());
                alerts.emplace(static_cast<long>(*id), std::move(kept));
            }
        } else if (row != handRow && holdsEntry(sheet, layout, row)) {
            typed.push_back({row, formulasOf(sheet, row, layout.lastColumn)});
        }
    }

    sheet::Application& app = sheet.parent().application();
    HostSwitches quiet(app);
    ensureEditLinkTarget(sheet, layout);
    const int clearedTo = std::max(lastRow, layout.firstRow());
    if (start <= clearedTo) {
        sheet::Range rows =
            sheet.range(sheet.cells(start, 1), sheet.cells(clearedTo, layout.lastColumn));
        rows.hyperlinks().delete_();
        rows.clearContents();
    }

    int row = start;
    for (std::size_t i = from; i < lots.size(); ++i) {
        const Lot& lot = lots[i];
        writeLot(sheet, layout, row, lot);
        if (const auto kept = alerts.find(lot.id); kept != alerts.end()) {
            const int columns[] = {layout.alert, layout.alertId};
            for (int c = 0; c < 2; ++c) {
                if (columns[c] != 0 && !kept->second.formulas[c].empty()) {
                    sheet.cells(row, columns[c])
                        .setFormula(movedToRow(kept->second.formulas[c], kept->second.row, row));
                }
            }
        }
        ++row;
    }
    for (const KeptRow& kept : typed) {
        for (int column = 1; column <= layout.lastColumn; ++column) {
            const std::string& formula = kept.formulas[static_cast<std::size_t>(column - 1)];
            if (!formula.empty()) {
                sheet.cells(row, column).setFormula(movedToRow(formula, kept.row, row));
            }
        }
        ++row;
    }
    SetNumber(sheet.cells(layout.cashRow, layout.cashColumn), cash, core::PriceFormat);
    return typed.size();
}

}  // namespace

void RewritePortfolio(const PortfolioPair& pair, const Books& books, int handRow,
                      std::uint64_t generation) {
    const sheet::Worksheet& sheet = pair.portfolio;
    ForgetLotsShown(sheet);
    const PortfolioLayout layout = PortfolioLayoutOf(sheet);
    std::vector<Lot> lots = sortedLots(books);
    const std::size_t typed = rewriteFrom(sheet, layout, lots, 0, books.cash, handRow);
    KnowLotsShown(sheet, ShownLots{layout, std::move(lots), typed, generation});
}

void UpdatePortfolio(const PortfolioPair& pair, const Books& books, int handRow,
                     const BooksChange& change) {
    const sheet::Worksheet& sheet = pair.portfolio;
    ShownLots* shown = LotsShownOn(sheet);
    if (shown == nullptr) {
        RewritePortfolio(pair, books, handRow, change.after);
        return;
    }
    // Below the lots and typed rows the last rewrite left, rows hold nothing (it cleared them,
    // and nothing changed since): those need neither reading nor clearing.
    const int lastWritten =
        shown->layout.firstRow() + static_cast<int>(shown->lots.size() + shown->typedRows) - 1;
    std::vector<Lot> lots;
    std::size_t from = 0;
    if (change.onlySymbol && change.before != 0 && shown->generation == change.before) {
        // Only this symbol's lots changed: they take the place of its rows, the others stay.
        const std::string symbol = base::toUpperAscii(*change.onlySymbol);
        lots = std::move(shown->lots);
        const auto first = std::lower_bound(lots.begin(), lots.end(), symbol,
                                            [](const Lot& lot, const std::string& s) {
                                                return base::toUpperAscii(lot.symbol) < s;
                                            });
        const auto last =
            std::upper_bound(first, lots.end(), symbol, [](const std::string& s, const Lot& lot) {
                return s < base::toUpperAscii(lot.symbol);
            });
        const auto byDate = [](const Lot& a, const Lot& b) {
            return a.date != b.date ? a.date < b.date : a.id < b.id;
        };
        if (change.openedId != 0 && !books.lots.empty() &&
            books.lots.back().id == change.openedId) {
            // One lot opened, the symbol's others as they were: it goes in its place among them,
            // and the rows before it stay.
            const Lot& opened = books.lots.back();
            const auto at = std::upper_bound(first, last, opened, byDate);
            from = static_cast<std::size_t>(at - lots.begin());
            if (lots.capacity() == lots.size()) {
                // Room to grow, so that a new lot does not move every other one to a new place.
                lots.reserve(2 * lots.size() + 16);
            }
            lots.insert(lots.begin() + static_cast<std::ptrdiff_t>(from), opened);
        } else {
            std::vector<Lot> block;
            for (const Lot& lot : books.lots) {
                if (base::equalsIgnoringCase(lot.symbol, symbol)) {
                    block.push_back(lot);
                }
            }
            std::stable_sort(block.begin(), block.end(), byDate);
            from = static_cast<std::size_t>(first - lots.begin());
            std::size_t same = 0;
            while (same < block.size() && first + static_cast<std::ptrdiff_t>(same) != last &&
                   sameRow(block[same], *(first + static_cast<std::ptrdiff_t>(same)))) {
                ++same;
            }
            const bool unchanged =
                same == block.size() && first + static_cast<std::ptrdiff_t>(same) == last;
            from = unchanged ? lots.size() : from + same;
            // Room to grow, so that a new lot does not move every other one to a new place.
            const std::size_t firstIndex = static_cast<std::size_t>(first - lots.begin());
            const std::size_t lastIndex = static_cast<std::size_t>(last - lots.begin());
            if (lots.capacity() < lots.size() + block.size()) {
                lots.reserve(2 * (lots.size() + block.size()));
            }
            const auto at = lots.erase(lots.begin() + static_cast<std::ptrdiff_t>(firstIndex),
                                       lots.begin() + static_cast<std::ptrdiff_t>(lastIndex));
            lots.insert(at, std::make_move_iterator(block.begin()),
                        std::make_move_iterator(block.end()));
        }
    } else {
        lots = sortedLots(books);
        // The rows up to the first that changes stay; every row from there on moves or changes.
        const std::size_t common = std::min(lots.size(), shown->lots.size());
        while (from < common && sameRow(lots[from], shown->lots[from])) {
            ++from;
        }
    }
    const PortfolioLayout layout = shown->layout;
    ForgetLotsShown(sheet);
    const std::size_t typed =
        rewriteFrom(sheet, layout, lots, from, books.cash, handRow, lastWritten);
    KnowLotsShown(sheet, ShownLots{layout, std::move(lots), typed, change.after});
}

}  // namespace kavex::addin::portfolio
