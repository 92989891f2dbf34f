#pragma once

#include <string>
#include <variant>
#include <vector>

#include "platform/base/Variant.h"

namespace kavex::addin::marketdata {

// The symbols handed to a fetch: a single value (Empty or Missing for none, or a text holding one
// symbol or several separated by commas) or an array of texts.
using SymbolList = std::variant<base::Variant, std::vector<std::string>>;

// True when the list names anything: an array, or a value that is neither Empty, Missing nor Null.
bool HasSymbols(const SymbolList& list);

// The symbols of the list, trimmed of blanks, in order, without empty items and without a repeat
// of an earlier one (repeats compared without regard to letter case).
std::vector<std::string> SymbolsOf(const SymbolList& list);

}  // namespace kavex::addin::marketdata
