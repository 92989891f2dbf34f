#include "services/SeedData.h"

#include <charconv>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace kavex::services {

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// Calls row() with the tab-separated fields of every line that is neither blank nor a comment.
void readTable(
    const std::filesystem::path& file, std::size_t columns,
    const std::function<void(const std::vector<std::string>&, const std::string&)>& row) {
    std::ifstream in(file);
    if (!in) {
        throw std::runtime_error("cannot read seed file " + file.string());
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string where = file.string() + ":" + std::to_string(number);
        const auto fields = splitTabs(line);
        if (fields.size() != columns) {
            throw std::runtime_error(where + ": expected " + std::to_string(columns) +
                                     " tab-separated fields, found " +
                                     std::to_string(fields.size()));
        }
        row(fields, where);
    }
}

double readNumber(const std::string& text, const std::string& where) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw std::runtime_error(where + ": not a number: '" + text + "'");
    }
    return value;
}

void checkDate(const std::string& text, const std::string& where) {
    const bool shape = text.size() == 10 && text[4] == '-' && text[7] == '-';
    if (!shape) {
        throw std::runtime_error(where + ": not a date YYYY-MM-DD: '" + text + "'");
    }
}

}  // namespace

SeedData SeedData::load(const std::filesystem::path& directory) {
    SeedData seeds;
    // Symbol Exchange Price Earnings Dividend Listed Industry Name
    readTable(directory / "symbols.tsv", 8, [&](const auto& f, const std::string& where) {
        ListedSymbol listed;
        listed.symbol = f[0];
        listed.exchange = f[1];
        listed.price = readNumber(f[2], where);
        listed.earnings = readNumber(f[3], where);
        listed.dividend = readNumber(f[4], where);
        checkDate(f[5], where);
        listed.listed = f[5];
        listed.industry = f[6];
        listed.name = f[7];
        listed.option = !listed.symbol.empty() && listed.symbol.front() == '%';
        if (listed.symbol.empty() || listed.name.empty() || listed.price <= 0) {
            throw std::runtime_error(where + ": a symbol needs a name and a price above 0");
        }
        seeds.symbols.push_back(std::move(listed));
    });
    // Kind Date Symbol OldSymbol Exchange Name
    readTable(directory / "symbol-changes.tsv", 6, [&](const auto& f, const std::string& where) {
        SymbolChange change;
        if (f[0] == "changed") {
            change.kind = SymbolChange::Kind::Changed;
        } else if (f[0] == "delisted") {
            change.kind = SymbolChange::Kind::Delisted;
        } else {
            throw std::runtime_error(where + ": kind must be changed or delisted");
        }
        checkDate(f[1], where);
        change.date = f[1];
        change.symbol = f[2];
        change.oldSymbol = f[3];
        change.exchange = f[4];
        change.name = f[5];
        seeds.changes.push_back(std::move(change));
    });
    // Symbol Type EffectiveDate Value
    readTable(directory / "dividends-splits.tsv", 4, [&](const auto& f, const std::string& where) {
        if (f[1] != "Dividend" && f[1] != "Split") {
            throw std::runtime_error(where + ": type must be Dividend or Split");
        }
        checkDate(f[2], where);
        seeds.dividendsAndSplits.push_back({f[0], f[1], f[2], f[3]});
    });
    return seeds;
}

}  // namespace kavex::services
