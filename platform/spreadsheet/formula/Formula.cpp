#include "platform/spreadsheet/formula/Formula.h"

#include "platform/spreadsheet/formula/Builtins.h"
#include "platform/spreadsheet/formula/Evaluator.h"
#include "platform/spreadsheet/formula/Node.h"

namespace kavex::formula {

namespace {

const Node& unwrapParens(const Node& node) {
    const Node* n = &node;
    while (n->kind == NodeKind::Paren) {
        n = &n->children.front();
    }
    return *n;
}

// True when the formula's value is what a host function returned, which goes into the cell as it
// is; any other empty result (a reference to an empty cell) shows as 0, as the spreadsheet does.
bool isHostCall(const Node& node) {
    const Node& n = unwrapParens(node);
    return n.kind == NodeKind::Call && n.builtin < 0;
}

// The call a formula is made of when it is a plain host call (see Formula::plainHostCall); the
// references list must hold exactly the arguments' areas, in order, for it to be one.
std::optional<std::size_t> findPlainHostCall(const Node* root,
                                             const std::vector<AreaRef>& references,
                                             const std::vector<std::string>& functionNames) {
    if (root == nullptr || !isHostCall(*root)) {
        return std::nullopt;
    }
    const Node& call = unwrapParens(*root);
    if (call.functionName >= functionNames.size() || call.children.size() != references.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < call.children.size(); ++i) {
        const Node& argument = unwrapParens(call.children[i]);
        if (argument.kind != NodeKind::Reference || !(argument.area == references[i])) {
            return std::nullopt;
        }
    }
    return call.functionName;
}

}  // namespace

Formula::Formula(std::string text, std::shared_ptr<const Node> root,
                 std::vector<AreaRef> references, std::vector<std::string> names,
                 std::vector<std::string> functionNames)
    : text_(std::move(text)),
      root_(std::move(root)),
      references_(std::move(references)),
      names_(std::move(names)),
      functionNames_(std::move(functionNames)) {
    plainHostCall_ = findPlainHostCall(root_.get(), references_, functionNames_);
}

Variant evaluate(const Formula& formula, EvaluationContext& context, int rowShift,
                 int columnShift) {
    // One result object, built in place and returned by name, so that the value is not moved
    // on its way out.
    const Node* root = formula.root().get();
    Variant result = root != nullptr
                         ? Evaluator(formula, context, rowShift, columnShift).value(*root)
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
