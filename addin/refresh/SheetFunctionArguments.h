#pragma once

#include <string>

#include "addin/marketdata/SymbolList.h"

namespace kavex::addin::refresh {

// What the active sheet's formulas ask for, so that a refresh fetches only that: the arguments of
// the formulas that begin with one of the add-in's symbol functions (SymbolFunctionNames) or
// exchange functions (ExchangeFunctionNames). An argument in double quotes counts as itself, any
// other as the value of the cell it names; empty values and repeats are dropped.
//
// The symbols, in order of first appearance, as an array; left as it was (Empty) when there are
// none. Result not used (0).
short GetActiveWorksheetSymbolList(marketdata::SymbolList& SymbolList);
// The exchanges, each followed by ","; left as it was (empty) when there are none. Result not
// used (0).
short GetActiveWorksheetExchangeList(std::string& ExchangeList);

}  // namespace kavex::addin::refresh
