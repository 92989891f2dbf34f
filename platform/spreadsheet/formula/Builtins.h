#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/formula/Node.h"

namespace kavex::formula {

class Evaluator;

// One built-in function: the arguments are handed over unevaluated so that IF evaluates only the
// branch it takes and the aggregates see areas.
using BuiltinImplementation = base::Variant (*)(Evaluator&, const std::vector<Node>& arguments);

struct Builtin {
    std::string_view name;  // upper case, as rendered
    int minArguments;
    int maxArguments;
    BuiltinImplementation implementation;
};

std::span<const Builtin> builtins();

// The index of the built-in of that name (letter case ignored) in builtins(), or -1.
int findBuiltin(std::string_view name);

}  // namespace kavex::formula
