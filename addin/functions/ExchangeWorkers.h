#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "addin/functions/FunctionTables.h"

namespace kavex::addin::functions {

// Runs the worker of an exchange function (GetEXCGNAME, GetKavexEXCGLast, ...) as its table row
// describes it; always text.
std::string RunExchangeWorker(const ExchangeFunction& function, const std::string& exchange);

// A worker by its own name, "Get" followed by the function's name; nullopt for no such worker.
std::optional<std::string> CallExchangeWorker(std::string_view workerName,
                                              const std::string& exchange);

// The workers the exchange statistics header calls.
std::string GetKavexEXCGLast(const std::string& exchange);
std::string GetKavexEXCGChange(const std::string& exchange);
std::string GetKavexEXCGChPerc(const std::string& exchange);

}  // namespace kavex::addin::functions
