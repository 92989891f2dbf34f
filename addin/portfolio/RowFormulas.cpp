#include "addin/portfolio/RowFormulas.h"

#include "addin/refresh/SymbolHyperlinks.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::portfolio {

void WriteSymbolRowFormulas(const sheet::Worksheet& portfolio, int row, int symbolColumn,
                            const std::vector<std::pair<int, std::string>>& /*attributes*/) {
    sheet::Range symbolCell = portfolio.cells(row, symbolColumn);
    refresh::CreateSymbolHyperlink(symbolCell, portfolio);
    // The link writer switches events back on when it is done; the rest of the row is the
    // add-in's own writing too.
    portfolio.parent().application().setEnableEvents(false);
}

}  // namespace kavex::addin::portfolio
