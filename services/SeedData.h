#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kavex::services {

// A symbol the synthetic market lists (data/seeds/symbols.tsv).
struct ListedSymbol {
    std::string symbol;
    std::string exchange;  // "NSDQ", "NYSE", "AMEX"
    double price = 0;      // around which the price moves
    double earnings = 0;   // per share, a year; zero or below: no price/earnings ratio
    double dividend = 0;   // per share, a year
    std::string industry;
    std::string listed;   // YYYY-MM-DD
    std::string name;     // as the feed sends it ("&" written "%26")
    bool option = false;  // an option symbol (first character "%")
};

// A change of the symbol list after its start (data/seeds/symbol-changes.tsv).
struct SymbolChange {
    enum class Kind { Changed, Delisted };
    Kind kind = Kind::Changed;
    std::string date;  // YYYY-MM-DD
    std::string symbol;
    std::string oldSymbol;  // Changed only
    std::string exchange;
    std::string name;
};

// A dividend or a split (data/seeds/dividends-splits.tsv).
struct DividendOrSplit {
    std::string symbol;
    std::string type;           // "Dividend" or "Split"
    std::string effectiveDate;  // YYYY-MM-DD
    std::string value;          // amount per share, or the ratio "2:1"
};

struct SeedData {
    std::vector<ListedSymbol> symbols;
    std::vector<SymbolChange> changes;
    std::vector<DividendOrSplit> dividendsAndSplits;

    // Reads the three files of the folder. Throws std::runtime_error naming the file and line of
    // the first fault (a missing file, a short line, a number that does not read).
    static SeedData load(const std::filesystem::path& directory);
};

}  // namespace kavex::services
