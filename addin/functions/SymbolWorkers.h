#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "addin/functions/FunctionTables.h"
#include "platform/base/Variant.h"

namespace kavex::addin::functions {

// Runs the worker of a symbol function (GetLASTPRICE, GetKavexLast, ...) as its table row
// describes it. The result holds text, or is Empty (the option words, and a range whose worker
// failed before it had built anything).
base::Variant RunSymbolWorker(const SymbolFunction& function, const std::string& symbol);

// A worker by its own name, "Get" followed by the function's name; nullopt for no such worker.
std::optional<base::Variant> CallSymbolWorker(std::string_view workerName,
                                              const std::string& symbol);

// The workers other parts of the add-in call directly (price alerts, hyperlinks).
base::Variant GetKavexLast(const std::string& symbol);
base::Variant GetKavexEma13(const std::string& symbol);
base::Variant GetKavexEma30(const std::string& symbol);
base::Variant GetKavexName(const std::string& symbol);
base::Variant GetKavexOptionsBaseSymbol(const std::string& symbol);

}  // namespace kavex::addin::functions
