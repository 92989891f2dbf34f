#pragma once

#include <optional>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "platform/spreadsheet/formula/Node.h"

namespace kavex::formula {

// Walks one parsed tree against a context. It holds nothing but the context, so a host function
// may evaluate other formulas (with their own Evaluator) while this one is in the middle of a call.
class Evaluator {
  public:
    // The shifts move the formula's relative references (see evaluate).
    Evaluator(const Formula& formula, EvaluationContext& context, int rowShift = 0,
              int columnShift = 0)
        : formula_(formula), context_(context), rowShift_(rowShift), columnShift_(columnShift) {}

    // The node's value as one value: a one-cell reference gives the cell's value (empty stays
    // empty), a larger area #VALUE!, an unresolved name #NAME?, an empty argument Empty.
    Variant value(const Node& node);

    // The area a reference, a defined name or a parenthesised reference stands for; nullopt for
    // any other node and for a name that does not resolve.
    std::optional<AreaRef> reference(const Node& node);

    // Every value an argument of an aggregate supplies: each cell of a reference that holds
    // something (in rows, top to bottom; aggregates skip empty cells of areas), or the argument's
    // one value. visit(value, fromArea) returns false to stop early.
    template <typename Visit>
    void forEachValue(const Node& argument, Visit&& visit) {
        if (auto area = reference(argument)) {
            context_.forEachOccupiedCell(*area, [&](int row, int column) {
                const Variant value = context_.cellValue(area->sheet, row, column);
                return value.isEmpty() || visit(value, true);
            });
            return;
        }
        visit(value(argument), false);
    }

    EvaluationContext& context() { return context_; }

  private:
    Variant unary(const Node& node);
    Variant binary(const Node& node);
    Variant call(const Node& node);

    // The area a reference node reads, its relative coordinates moved by the shifts.
    AreaRef shifted(const Node& node) const;

    const Formula& formula_;
    EvaluationContext& context_;
    int rowShift_ = 0;
    int columnShift_ = 0;
};

}  // namespace kavex::formula
