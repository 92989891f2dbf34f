#include "addin/portfolio/KnownSheets.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "platform/base/Date.h"

namespace kavex::addin::portfolio {

namespace {

// Few portfolios are open at once; the oldest entry goes when more are known.
constexpr std::size_t kKept = 8;

template <typename T>
struct Known {
    sheet::Worksheet sheet;
    // The sheet's change count when it was known, and the part of it recalculation made.
    std::uint64_t changes = 0;
    std::uint64_t recalculations = 0;
    T what;
};

template <typename T>
std::vector<Known<T>>& knownList() {
    static std::vector<Known<T>> list;
    return list;
}

template <typename T>
Known<T>* entryFor(const sheet::Worksheet& sheet) {
    auto& list = knownList<T>();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Known<T>& known) { return known.sheet == sheet; });
    return it == list.end() ? nullptr : &*it;
}

template <typename T>
Known<T>& remember(const sheet::Worksheet& sheet, T what) {
    auto& list = knownList<T>();
    std::erase_if(list, [&](const Known<T>& known) { return known.sheet == sheet; });
    if (list.size() >= kKept) {
        list.erase(list.begin());
    }
    list.push_back(
        Known<T>{sheet, sheet.changeCount(), sheet.recalculationCount(), std::move(what)});
    return list.back();
}

template <typename T>
void forget(const sheet::Worksheet& sheet) {
    std::erase_if(knownList<T>(), [&](const Known<T>& known) { return known.sheet == sheet; });
}

// The caller's own edits since the sheet was known are in what it knows. A value recalculation
// changed meanwhile may be one the caller's edits made a formula give, or one that waited for
// calculation: what is known no longer stands for the sheet.
template <typename T>
void knowAsWritten(const sheet::Worksheet& sheet) {
    Known<T>* known = entryFor<T>(sheet);
    if (known == nullptr) {
        return;
    }
    if (known->recalculations != sheet.recalculationCount()) {
        forget<T>(sheet);
        return;
    }
    known->changes = sheet.changeCount();
}

template <typename T>
void forgetAll() {
    knownList<T>().clear();
}

}  // namespace

KnownLedger& LedgerOf(const sheet::Worksheet& history) {
    if (Known<KnownLedger>* known = entryFor<KnownLedger>(history);
        known != nullptr && known->changes == history.changeCount()) {
        return known->what;
    }
    forget<KnownLedger>(history);
    KnownLedger read;
    read.layout = HistoryLayoutOf(history);
    read.ledger = ReadLedger(history, read.layout);
    read.books = Replay(read.ledger.entries());
    read.generation = NewBooksGeneration();
    return remember(history, std::move(read)).what;
}

const KnownLedger* LedgerKnown(const sheet::Worksheet& history) {
    const Known<KnownLedger>* known = entryFor<KnownLedger>(history);
    return known != nullptr && known->changes == history.changeCount() ? &known->what : nullptr;
}

void KnowLedgerAsWritten(const sheet::Worksheet& history) {
    knowAsWritten<KnownLedger>(history);
}

void ForgetLedger(const sheet::Worksheet& history) {
    forget<KnownLedger>(history);
}

double LatestDay(KnownLedger& known) {
    if (!known.days) {
        known.days.emplace();
        for (const LedgerRow& row : known.ledger.rows) {
            if (!row.voided) {
                ++(*known.days)[base::datePart(row.entry.date).serial];
            }
        }
    }
    return known.days->empty() ? std::numeric_limits<double>::lowest()
                               : known.days->rbegin()->first;
}

void CountDay(KnownLedger& known, const LedgerEntry& entry) {
    if (known.days) {
        ++(*known.days)[base::datePart(entry.date).serial];
    }
}

void UncountDay(KnownLedger& known, const LedgerEntry& entry) {
    if (!known.days) {
        return;
    }
    const auto day = known.days->find(base::datePart(entry.date).serial);
    if (day == known.days->end()) {
        // Not among the days counted: they no longer stand for the ledger.
        known.days.reset();
    } else if (--day->second == 0) {
        known.days->erase(day);
    }
}

std::uint64_t NewBooksGeneration() {
    static std::uint64_t last = 0;
    return ++last;
}

ShownLots* LotsShownOn(const sheet::Worksheet& portfolio) {
    Known<ShownLots>* known = entryFor<ShownLots>(portfolio);
    return known != nullptr && known->changes == portfolio.changeCount() ? &known->what : nullptr;
}

void KnowLotsShown(const sheet::Worksheet& portfolio, ShownLots shown) {
    remember(portfolio, std::move(shown));
}

void KnowLotsShownAsWritten(const sheet::Worksheet& portfolio) {
    knowAsWritten<ShownLots>(portfolio);
}

void ForgetLotsShown(const sheet::Worksheet& portfolio) {
    forget<ShownLots>(portfolio);
}

void ForgetKnownSheets() {
    forgetAll<KnownLedger>();
    forgetAll<ShownLots>();
}

}  // namespace kavex::addin::portfolio
