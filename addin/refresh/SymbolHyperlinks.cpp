#include "addin/refresh/SymbolHyperlinks.h"

#include <array>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Log.h"
#include "addin/refresh/ExcelHost.h"

namespace kavex::addin::refresh {

namespace {

// The link cells of a symbol's row: the sub-address that tells the link handler what to open,
// the letter the cell shows and the sheet-level name of its column.
struct LinkKind {
    std::string_view subAddress;
    std::string_view letter;
    std::string_view columnName;
};

constexpr LinkKind kNews{"BrowserNewsLink", "N", "NewsLink"};
constexpr LinkKind kCharts{"BrowserChartsLink", "C", "ChartsLink"};
constexpr LinkKind kOptions{"BrowserOptionsLink", "O", "OptionsLink"};
constexpr std::array<LinkKind, 3> kLinkCells{kNews, kCharts, kOptions};

void setLinkFont(core::StepTrap& trap, const sheet::Range& cell) {
    trap([&] { cell.font().setName(kLinkFontName); });
    trap([&] { cell.font().setSize(kLinkFontSize); });
}

void setLinkBorders(core::StepTrap& trap, const sheet::Range& cell) {
    trap([&] { cell.borders().setWeight(kLinkBorderWeight); });
    trap([&] { cell.borders().setColor(kLinkBorderColor); });
}

// One link added to the cell (row, column) of the sheet, with its font.
base::Variant addLink(const sheet::Worksheet& sheet, std::int32_t row, std::int16_t column,
                      const LinkKind& kind) {
    core::StepTrap trap;
    trap([] { Excel().setEnableEvents(false); });
    sheet::Range cell;
    trap([&] { cell = sheet.cells(row, column); });
    trap([&] { sheet.hyperlinks().add(cell, "", std::string(kind.subAddress)); });
    setLinkFont(trap, cell);
    trap([] { Excel().setEnableEvents(true); });
    return {};
}

}  // namespace

std::string LinkCellFormula(const std::string& symbolAddress, const std::string& letter) {
    std::string relative;
    for (const char c : symbolAddress) {
        if (c != '$') {
            relative += c;
        }
    }
    return "=IF(TRIM(" + relative + ") =\"\",\"\",\"" + letter + "\")";
}

void CreateSymbolHyperlink(sheet::Range& symbolCell, const sheet::Worksheet& sheet) {
    static constexpr std::string_view kProcedure = "CreateSymbolHyperlink";
    core::StepTrap trap;

    // 1.
    core::WriteLog(kProcedure, 3, "Entering");
    // 2. One details link on the symbol cell: the old ones go first.
    trap([&] { symbolCell.hyperlinks().delete_(); });
    // 3.
    trap([&] { symbolCell.worksheet().hyperlinks().add(symbolCell, "", kDetailsLink); });
    // 4.
    setLinkFont(trap, symbolCell);
    setLinkBorders(trap, symbolCell);

    // 5. Without a sheet only the symbol cell changes.
    if (!sheet.isNothing()) {
        // 6. The symbol's row and the link columns; a missing name leaves its column at 0, and
        // every step on that cell then fails.
        std::int32_t row = 0;
        std::array<int, kLinkCells.size()> columns{};
        std::string symbolAddress;
        trap([&] { row = symbolCell.row(); });
        trap([&] { symbolAddress = symbolCell.address(); });
        for (std::size_t k = 0; k < kLinkCells.size(); ++k) {
            trap([&] { columns[k] = sheet.range(kLinkCells[k].columnName).column(); });
        }

        // 7.
        core::WriteLog("CreateNewsHyperlink", 3, "Entering");
        trap([] { Excel().setEnableEvents(false); });

        // 8. News, charts, options.
        for (std::size_t k = 0; k < kLinkCells.size(); ++k) {
            const LinkKind& kind = kLinkCells[k];
            if (k == 1) {
                core::WriteLog("CreateChartsHyperlink", 3, "Entering");
            }
            sheet::Range cell;
            trap([&] { cell = sheet.cells(row, columns[k]); });
            trap([&] {
                cell.setValue(
                    base::Variant(LinkCellFormula(symbolAddress, std::string(kind.letter))));
            });
            trap([&] { sheet.hyperlinks().add(cell, "", std::string(kind.subAddress)); });
            setLinkFont(trap, cell);
            setLinkBorders(trap, cell);
        }
        trap([] { Excel().setEnableEvents(true); });
    }

    // 9.
    core::WriteLog(kProcedure, 3, "Exiting");
}

base::Variant AddNewsHyperlink(const sheet::Worksheet& sheet, std::int32_t row, std::int16_t column,
                               const std::string& /*text*/) {
    return addLink(sheet, row, column, kNews);
}

base::Variant AddChartsHyperlink(const sheet::Worksheet& sheet, std::int32_t row,
                                 std::int16_t column, const std::string& /*text*/) {
    return addLink(sheet, row, column, kCharts);
}

base::Variant AddOptionsHyperlink(const sheet::Worksheet& sheet, std::int32_t row,
                                  std::int16_t column, const std::string& /*text*/) {
    return addLink(sheet, row, column, kOptions);
}

}  // namespace kavex::addin::refresh
