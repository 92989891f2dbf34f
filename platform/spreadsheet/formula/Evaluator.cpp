#include "platform/spreadsheet/formula/Evaluator.h"

#include <cmath>
#include <vector>

#include "platform/spreadsheet/formula/ArgumentList.h"
#include "platform/spreadsheet/formula/Builtins.h"
#include "platform/spreadsheet/formula/Values.h"

namespace kavex::formula {

using base::CellError;

namespace {

const Node& unwrapParens(const Node& node) {
    const Node* n = &node;
    while (n->kind == NodeKind::Paren) {
        n = &n->children.front();
    }
    return *n;
}

}  // namespace

AreaRef Evaluator::shifted(const Node& node) const {
    AreaRef area = node.area;
    if (rowShift_ != 0 || columnShift_ != 0) {
        const ReferenceForm& form = node.form;
        area.firstRow += form.absoluteFirstRow ? 0 : rowShift_;
        area.lastRow += form.absoluteLastRow ? 0 : rowShift_;
        area.firstColumn += form.absoluteFirstColumn ? 0 : columnShift_;
        area.lastColumn += form.absoluteLastColumn ? 0 : columnShift_;
    }
    return area;
}

std::optional<AreaRef> Evaluator::reference(const Node& node) {
    const Node& n = unwrapParens(node);
    if (n.kind == NodeKind::Reference) {
        return shifted(n);
    }
    if (n.kind == NodeKind::Name) {
        return context_.resolveName(n.text);
    }
    return std::nullopt;
}

Variant Evaluator::value(const Node& node) {
    switch (node.kind) {
        case NodeKind::Number:
            return Variant(node.number);
        case NodeKind::Text:
            return Variant(node.text);
        case NodeKind::Boolean:
            return Variant(node.boolean);
        case NodeKind::Error:
            return Variant(node.error);
        case NodeKind::Missing:
            return Variant();
        case NodeKind::Reference:
            if (!node.area.isSingleCell()) {
                return Variant(CellError::Value);
            }
            return context_.cellValue(
                node.area.sheet, node.area.firstRow + (node.form.absoluteFirstRow ? 0 : rowShift_),
                node.area.firstColumn + (node.form.absoluteFirstColumn ? 0 : columnShift_));
        case NodeKind::Name: {
            const auto area = context_.resolveName(node.text);
            if (!area) {
                return Variant(context_.isDefinedName(node.text) ? CellError::Ref
                                                                 : CellError::Name);
            }
            if (!area->isSingleCell()) {
                return Variant(CellError::Value);
            }
            return context_.cellValue(area->sheet, area->firstRow, area->firstColumn);
        }
        case NodeKind::Unary:
            return unary(node);
        case NodeKind::Percent: {
            const auto operand = toNumber(value(node.children[0]));
            if (operand.error) {
                return Variant(*operand.error);
            }
            return numberOrError(operand.value / 100.0);
        }
        case NodeKind::Binary:
            return binary(node);
        case NodeKind::Paren:
            return value(node.children[0]);
        case NodeKind::Call:
            return call(node);
    }
    return Variant(CellError::Value);
}

Variant Evaluator::unary(const Node& node) {
    Variant operand = value(node.children[0]);
    if (node.op == Operator::Plus) {
        return operand;  // unary plus changes nothing, not even the kind
    }
    const auto number = toNumber(operand);
    if (number.error) {
        return Variant(*number.error);
    }
    return Variant(-number.value);
}

Variant Evaluator::binary(const Node& node) {
    const Variant left = value(node.children[0]);
    if (left.isError()) {
        return left;
    }
    const Variant right = value(node.children[1]);
    if (right.isError()) {
        return right;
    }
    switch (node.op) {
        case Operator::Concatenate:
            return Variant(toText(left) + toText(right));
        case Operator::Equal:
            return Variant(compareValues(left, right) == 0);
        case Operator::NotEqual:
            return Variant(compareValues(left, right) != 0);
        case Operator::Less:
            return Variant(compareValues(left, right) < 0);
        case Operator::Greater:
            return Variant(compareValues(left, right) > 0);
        case Operator::LessEqual:
            return Variant(compareValues(left, right) <= 0);
        case Operator::GreaterEqual:
            return Variant(compareValues(left, right) >= 0);
        default:
            break;
    }
    const auto x = toNumber(left);
    if (x.error) {
        return Variant(*x.error);
    }
    const auto y = toNumber(right);
    if (y.error) {
        return Variant(*y.error);
    }
    switch (node.op) {
        case Operator::Plus:
            return numberOrError(x.value + y.value);
        case Operator::Minus:
            return numberOrError(x.value - y.value);
        case Operator::Multiply:
            return numberOrError(x.value * y.value);
        case Operator::Divide:
            if (y.value == 0.0) {
                return Variant(CellError::Div0);
            }
            return numberOrError(x.value / y.value);
        case Operator::Power:
            if (x.value == 0.0 && y.value < 0.0) {
                return Variant(CellError::Div0);
            }
            if (x.value == 0.0 && y.value == 0.0) {
                return Variant(CellError::Num);  // undefined
            }
            return numberOrError(std::pow(x.value, y.value));
        default:
            break;
    }
    return Variant(CellError::Value);
}

Variant Evaluator::call(const Node& node) {
    if (node.builtin >= 0) {
        return builtins()[static_cast<std::size_t>(node.builtin)].implementation(*this,
                                                                                 node.children);
    }
    ArgumentList list(node.children.size());
    std::vector<Argument>& arguments = list.arguments();
    // Each argument is assigned in its place in the list; a reference written out (the usual
    // argument) goes straight to its cell.
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        const Node& child = node.children[i];
        const Node& argument = unwrapParens(child);
        Argument& target = arguments[i];
        if (argument.kind == NodeKind::Reference && rowShift_ == 0 && columnShift_ == 0) {
            const AreaRef& area = argument.area;
            context_.readCellValue(area.sheet, area.firstRow, area.firstColumn, target.value);
            target.reference = area;
        } else if (argument.kind == NodeKind::Reference) {
            AreaRef area = shifted(argument);
            context_.readCellValue(area.sheet, area.firstRow, area.firstColumn, target.value);
            target.reference = std::move(area);
        } else if (child.kind == NodeKind::Missing) {
            target.value = Variant::missing();
            target.reference.reset();
        } else if (auto area = reference(child)) {
            context_.readCellValue(area->sheet, area->firstRow, area->firstColumn, target.value);
            target.reference = std::move(area);
        } else {
            target.value = value(child);
            target.reference.reset();
        }
    }
    // The name handed over is the formula's own entry in functionNames(), so that a host may
    // match it by address against what it resolved from that list.
    const std::string& name = node.functionName < formula_.functionNames().size()
                                  ? formula_.functionNames()[node.functionName]
                                  : node.text;
    if (auto result = context_.callFunction(name, arguments)) {
        return std::move(*result);
    }
    return Variant(CellError::Name);
}

}  // namespace kavex::formula
