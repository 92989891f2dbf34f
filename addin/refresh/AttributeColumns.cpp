#include "addin/refresh/AttributeColumns.h"

#include <array>
#include <vector>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Strings.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/ExcelHost.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::refresh {

namespace {

struct HeaderRange {
    std::string_view sheetKind;
    std::string_view rangeName;
};

// The attribute header row of each kind of sheet that has attribute columns.
constexpr std::array<HeaderRange, 5> kHeaderRanges{{
    {core::kVolLeaders, "VolLeadersAttribHeader"},
    {core::kPriceGainers, "PriceGainersAttribHeader"},
    {core::kPriceLosers, "PriceLosersAttribHeader"},
    {core::kWatchList, "WatchlistAttribHeader"},
    {core::kPortfolio, "WatchlistAttribHeader"},
}};

constexpr std::string_view kDefaultSymbolColumn = "B";

}  // namespace

std::string_view AttributeHeaderRangeName(std::string_view sheetKind) {
    for (const HeaderRange& entry : kHeaderRanges) {
        if (base::equalsIgnoringCase(entry.sheetKind, sheetKind)) {
            return entry.rangeName;
        }
    }
    return {};
}

std::string SymbolColumnLetter(const sheet::Worksheet& sheet) {
    std::string letter(kDefaultSymbolColumn);
    std::int32_t row = 0;
    std::int16_t column = 0;
    core::StepTrap step;
    step([&] { core::GetSymbolRowColumn(sheet, row, column); });
    if (row != 0 && column != 0) {
        step([&] {
            // "$B$4" splits into "", "B" and "4".
            const std::vector<std::string> parts =
                core::SplitString(Excel().activeSheet().cells(row, column).address(), "$");
            if (parts.size() == 3) {
                letter = parts[1];
            }
        });
    }
    return letter;
}

std::string AttributeFormula(std::string_view function, std::string_view columnLetter,
                             std::int32_t row) {
    return "=" + std::string(function) + "(" + std::string(columnLetter) + std::to_string(row) +
           ")";
}

}  // namespace kavex::addin::refresh
