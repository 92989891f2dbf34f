#pragma once

#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::refresh {

// Palette colours of the header: a fallen index, a risen one, no sign (shown as the automatic
// colour, black), and the grey of the time line.
inline constexpr int kHeaderFallColorIndex = 3;
inline constexpr int kHeaderRiseColorIndex = 4;
inline constexpr int kHeaderFlatColorIndex = 0;
inline constexpr int kHeaderTimeColorIndex = 16;

// Writes the sheet's exchange header (the cell its name ExchangeInfo refers to): the NYSE, the
// NASDAQ and the S&P 500 (cached under "AMEX") with last value, change and change in percent, the
// figures of each coloured by their sign, and the time of the refresh in grey on a second line.
// headerCell is set to the cell written. Traps nothing: a sheet without ExchangeInfo fails before
// anything changes; a change that is not a number (an index not cached) fails after events were
// switched off, and the caller's error path switches them on again.
void WriteExchangeInfoHeader(const sheet::Worksheet& sheet, sheet::Range& headerCell);

}  // namespace kavex::addin::refresh
