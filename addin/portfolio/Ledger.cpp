#include "addin/portfolio/Ledger.h"

#include <algorithm>
#include <cmath>

#include "addin/core/Strings.h"
#include "addin/portfolio/CellValues.h"
#include "platform/base/Conversions.h"
#include "platform/base/Format.h"
#include "platform/base/Text.h"

namespace kavex::addin::portfolio {

namespace {

// Shares are typed with a few decimals at most; what is left below this is rounding noise.
constexpr double kShareTolerance = 1e-9;

bool sameSymbol(const std::string& a, const std::string& b) {
    return base::equalsIgnoringCase(a, b);
}

std::string dateText(base::Date date) {
    return base::formatGeneralDate(base::datePart(date));
}

std::string refusal(const LedgerEntry& sale, std::string_view typeName, double open,
                    Position position) {
    const std::string what = position == Position::Short ? "short shares" : "shares";
    return std::string(typeName) + " of " + SharesText(sale.shares) + " " + sale.symbol + " on " +
           dateText(sale.date) + " refused: only " + SharesText(open) + " " + what + " of " +
           sale.symbol + " are open on that date.";
}

}  // namespace

double CashEffect(const LedgerEntry& entry) {
    const auto type = TypeOfCode(entry.code);
    if (!type) {
        return 0;
    }
    const double value = entry.shares * entry.price;
    switch (type->effect) {
        case Effect::CashIn:
            return std::abs(entry.amount);
        case Effect::CashOut:
            return -std::abs(entry.amount);
        case Effect::Open:
            // A short sale brings its proceeds in; a purchase pays for the shares. Shares received
            // as a dividend cost nothing but their commission.
            if (type->position == Position::Short) {
                return value - entry.commission;
            }
            return entry.code == 12 ? -entry.commission : -(value + entry.commission);
        case Effect::Close:
            return type->position == Position::Short ? -(value + entry.commission)
                                                     : value - entry.commission;
        case Effect::DividendCash:
            return value;
        case Effect::Split:
            return 0;
    }
    return 0;
}

bool Lot::adjusted() const {
    return shares < openedShares - kShareTolerance;
}

std::optional<BookingRefusal> ApplyEntry(Books& books, const LedgerEntry& entry) {
    const auto type = TypeOfCode(entry.code);
    if (!type) {
        return BookingRefusal{entry.id, "Transaction " + std::to_string(entry.id) +
                                            " has an unknown transaction type."};
    }
    switch (type->effect) {
        case Effect::Open:
            books.lots.push_back({entry.id, entry.symbol, entry.code, type->position, entry.date,
                                  entry.shares, entry.shares, entry.price, entry.commission,
                                  entry.remarks});
            break;
        case Effect::Close: {
            double open = 0;
            for (const Lot& lot : books.lots) {
                if (lot.position == type->position && sameSymbol(lot.symbol, entry.symbol)) {
                    open += lot.shares;
                }
            }
            if (entry.shares > open + kShareTolerance) {
                return BookingRefusal{entry.id, refusal(entry, type->name, open, type->position)};
            }
            double left = entry.shares;
            for (Lot& lot : books.lots) {
                if (left <= kShareTolerance) {
                    break;
                }
                if (lot.position != type->position || !sameSymbol(lot.symbol, entry.symbol)) {
                    continue;
                }
                const double used = std::min(lot.shares, left);
                const double before = lot.shares;
                lot.shares -= used;
                lot.commission =
                    lot.shares <= kShareTolerance ? 0 : lot.commission * (lot.shares / before);
                left -= used;
            }
            std::erase_if(books.lots, [](const Lot& lot) { return lot.shares <= kShareTolerance; });
            break;
        }
        case Effect::Split:
            for (Lot& lot : books.lots) {
                if (sameSymbol(lot.symbol, entry.symbol) && entry.shares > 0) {
                    lot.shares *= entry.shares;
                    lot.openedShares *= entry.shares;
                    lot.price /= entry.shares;
                }
            }
            break;
        case Effect::CashIn:
        case Effect::CashOut:
        case Effect::DividendCash:
            break;
    }
    books.cash += CashEffect(entry);
    return std::nullopt;
}

std::variant<Books, BookingRefusal> Replay(std::vector<LedgerEntry> entries) {
    // By day, then id, in the given order where both are the same: the order is worked out on
    // small keys, each day taken once, rather than by moving the entries about.
    struct Key {
        double day;
        long id;
        std::size_t at;
    };
    std::vector<Key> order;
    order.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        order.push_back(Key{base::datePart(entries[i].date).serial, entries[i].id, i});
    }
    std::sort(order.begin(), order.end(), [](const Key& a, const Key& b) {
        if (a.day != b.day) {
            return a.day < b.day;
        }
        return a.id != b.id ? a.id < b.id : a.at < b.at;
    });
    Books books;
    for (const Key& key : order) {
        if (auto refused = ApplyEntry(books, entries[key.at])) {
            return *std::move(refused);
        }
    }
    return books;
}

double SharesHeld(const std::vector<LedgerEntry>& entries, const std::string& symbol,
                  base::Date date, Position position) {
    std::vector<LedgerEntry> upToDate;
    const double day = base::datePart(date).serial;
    for (const LedgerEntry& entry : entries) {
        if (base::datePart(entry.date).serial <= day) {
            upToDate.push_back(entry);
        }
    }
    const auto books = Replay(std::move(upToDate));
    double held = 0;
    if (const Books* open = std::get_if<Books>(&books)) {
        for (const Lot& lot : open->lots) {
            if (lot.position == position && sameSymbol(lot.symbol, symbol)) {
                held += lot.shares;
            }
        }
    }
    return held;
}

std::optional<double> SplitFactor(const std::string& ratio) {
    const auto parts = core::SplitString(ratio, ":");
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const auto newShares = base::parseNumber(parts[0]);
    const auto oldShares = base::parseNumber(parts[1]);
    if (!newShares || !oldShares || *newShares <= 0 || *oldShares <= 0) {
        return std::nullopt;
    }
    return *newShares / *oldShares;
}

std::string SharesText(double shares) {
    return base::formatNumber(shares, std::abs(shares - std::round(shares)) < kShareTolerance
                                          ? "#,##0"
                                          : SharesFormat(shares));
}

}  // namespace kavex::addin::portfolio
