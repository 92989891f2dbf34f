#pragma once

#include <cstdint>
#include <string>

namespace kavex::addin::watchlists {

// Chooses the exchange shown on the "Exchange Stats" sheet of the active workbook: exchange is the
// caption of one of its exchange cells (NYSELink, NSDQLink, AMEXLink: "NYSE", "NASDAQ", "AMEX",
// any letter case). The chosen cell is marked and loses its link, the other two become links,
// and the sheet's exchange formulas follow the chosen exchange; the sheet is unprotected around
// the change and refreshed afterwards. row is the row of the cell followed (not needed: the cells
// are found by their names). An exchange that is none of the three changes nothing.
void SelectExchangeStats(const std::string& exchange, std::int32_t row);

}  // namespace kavex::addin::watchlists
