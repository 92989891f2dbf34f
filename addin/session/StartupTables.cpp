#include "addin/session/StartupTables.h"

#include <algorithm>
#include <array>

#include "addin/functions/AttributeNames.h"
#include "addin/functions/FunctionTables.h"
#include "addin/session/Session.h"
#include "platform/base/Text.h"

namespace kavex::addin::session {

namespace {

// Captions of the header table that the column picker does not offer: a second spelling of the
// day's range and columns that older sheets carry but new sheets are not built with.
constexpr std::array<std::string_view, 5> kNotPicked{"52-Week Range", "Day's Range", "Days' Range",
                                                     "P/E Ratio", "Previous Day Close"};

// Columns a new sheet starts with.
constexpr std::array<std::string_view, 4> kSelectedByDefault{
    "Last Trade Price", "Change in Price ($)", "Change in Price (%)", "Volume"};

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view caption) {
    return std::find(list.begin(), list.end(), caption) != list.end();
}

std::vector<AttributeColumn> buildAttributeColumnTable() {
    std::vector<AttributeColumn> table;
    for (const functions::CaptionFunction& row : functions::CaptionFunctionTable()) {
        if (!listed(kNotPicked, row.caption)) {
            table.push_back({std::string(row.caption), std::string(row.function),
                             listed(kSelectedByDefault, row.caption)});
        }
    }
    return table;
}

void fill(NameCollection& collection, std::span<const std::string_view> keys) {
    collection.Clear();
    for (const std::string_view key : keys) {
        collection.Add(key);
    }
}

}  // namespace

bool NameCollection::Add(std::string_view name) {
    if (!keys_.insert(base::toLowerAscii(name)).second) {
        return false;
    }
    names_.emplace_back(name);
    return true;
}

bool NameCollection::Contains(std::string_view name) const {
    return keys_.count(base::toLowerAscii(name)) != 0;
}

bool NameCollection::Remove(std::string_view name) {
    const std::string key = base::toLowerAscii(name);
    if (keys_.erase(key) == 0) {
        return false;
    }
    names_.erase(std::find_if(names_.begin(), names_.end(), [&](const std::string& n) {
        return base::equalsIgnoringCase(n, key);
    }));
    return true;
}

void NameCollection::Clear() {
    names_.clear();
    keys_.clear();
}

void InitAddInVariables() {
    UserSessionKey.clear();
    fill(SymbolFunctionNames, functions::SymbolFunctionNameKeys());
    fill(ExchangeFunctionNames, functions::ExchangeFunctionNameKeys());
    AttributeColumnTable = buildAttributeColumnTable();
    functions::LoadAttributeNames();
    ShowDeprecatedMacroWarning = true;
}

void ReleaseStartupTables() {
    SymbolFunctionNames.Clear();
    ExchangeFunctionNames.Clear();
    AttributeColumnTable.clear();
    ShowDeprecatedMacroWarning = true;
}

}  // namespace kavex::addin::session
