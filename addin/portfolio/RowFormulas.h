#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::portfolio {

// Gives a portfolio row what every symbol row of a managed sheet gets: the symbol's links and the
// name and attribute formulas of the header's columns (column, caption).
void WriteSymbolRowFormulas(const sheet::Worksheet& portfolio, int row, int symbolColumn,
                            const std::vector<std::pair<int, std::string>>& attributes);

}  // namespace kavex::addin::portfolio
