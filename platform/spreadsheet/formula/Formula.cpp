#include "platform/spreadsheet/formula/Formula.h"

#include "platform/spreadsheet/formula/Builtins.h"
#include "platform/spreadsheet/formula/Evaluator.h"
#include "platform/spreadsheet/formula/Node.h"

namespace kavex::formula {

namespace {

// True when the formula's value is what a host function returned, which goes into the cell as it
// is; any other empty result (a reference to an empty cell) shows as 0, as the spreadsheet does.
bool isHostCall(const Node& node) {
    const Node* n = &node;
    while (n->kind == NodeKind::Paren) {
        n = &n->children.front();
    }
    return n->kind == NodeKind::Call && n->builtin < 0;
}

}  // namespace

Variant evaluate(const Formula& formula, EvaluationContext& context) {
    // One result object, built in place and returned by name, so that the value is not moved
    // on its way out.
    const Node* root = formula.root().get();
    Variant result = root != nullptr ? Evaluator(formula, context).value(*root)
                                     : Variant(base::CellError::Value);
    if (result.isEmpty() && root != nullptr && !isHostCall(*root)) {
        result = Variant(0.0);
    }
    return result;
}

bool isBuiltinFunction(std::string_view name) {
    return findBuiltin(name) >= 0;
}

}  // namespace kavex::formula
