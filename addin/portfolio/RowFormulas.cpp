#include "addin/portfolio/RowFormulas.h"

#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::portfolio {

void WriteSymbolRowFormulas(const sheet::Worksheet& portfolio, int row, int symbolColumn,
                            const std::vector<std::pair<int, std::string>>& attributes) {
    sheet::Range symbolCell = portfolio.cells(row, symbolColumn);
    refresh::CreateSymbolHyperlink(symbolCell, portfolio);
    // The name formula comes with the first attribute column.
    bool writeName = true;
    for (const auto& [column, caption] : attributes) {
        refresh::SymbolSearch(portfolio, portfolio.name(), caption, row,
                              static_cast<std::int16_t>(column), writeName);
        writeName = false;
    }
    // The link writer switches events back on when it is done; the rest of the row is the
    // add-in's own writing too.
    portfolio.parent().application().setEnableEvents(false);
}

}  // namespace kavex::addin::portfolio
