#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::formula {

enum class NodeKind {
    Number,     // number
    Text,       // text (the literal's value, quotes removed)
    Boolean,    // boolean
    Error,      // error
    Missing,    // an argument left empty: F(1,,2)
    Reference,  // area + form
    Name,       // text: a defined name as typed
    Unary,      // op (Plus or Minus), children[0]
    Percent,    // children[0] followed by %
    Binary,     // op, children[0] and children[1]
    Paren,      // children[0] in parentheses (kept so that render gives them back)
    Call,       // text: the name as typed; builtin; children: the arguments
};

enum class Operator {
    Plus,
    Minus,
    Multiply,
    Divide,
    Power,
    Concatenate,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
};

// What a reference names: cells (A1, A1:B3), whole columns (D:D, $B:$F; its rows are 1 to
// MaxRows) or whole rows (3:3, $2:$5; its columns are 1 to MaxColumns).
enum class ReferenceSpan : unsigned char { Cells, Columns, Rows };

// How a reference was written: which coordinates carry "$", and whether it was an area
// ("A1:A1" stays an area when rendered).
struct ReferenceForm {
    bool absoluteFirstRow = false;
    bool absoluteFirstColumn = false;
    bool absoluteLastRow = false;
    bool absoluteLastColumn = false;
    bool writtenAsArea = false;
    ReferenceSpan span = ReferenceSpan::Cells;
};

// One node of the immutable tree. A plain tagged record keeps evaluation free of virtual calls and
// the tree in few allocations; only the members the kind names are meaningful.
//
// The members a recalculation reads most (a call and its reference arguments) come first, so
// that evaluating such a node touches as little memory as possible.
struct Node {
    NodeKind kind = NodeKind::Missing;
    int builtin = -1;  // index into the built-in table for a Call, -1 for a host function
    AreaRef area;
    std::size_t functionName = 0;  // a Call's entry in Formula::functionNames()
    std::vector<Node> children;
    Operator op = Operator::Plus;
    bool boolean = false;
    base::CellError error = base::CellError::Value;
    double number = 0.0;
    std::string text;
    ReferenceForm form;
    std::size_t position = 0;
};

}  // namespace kavex::formula
