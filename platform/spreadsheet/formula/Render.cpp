#include <string>

#include "platform/spreadsheet/formula/Builtins.h"
#include "platform/spreadsheet/formula/CellAddress.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "platform/spreadsheet/formula/Node.h"
#include "platform/spreadsheet/formula/Values.h"

namespace kavex::formula {

namespace {

std::string_view operatorText(Operator op) {
    switch (op) {
        case Operator::Plus:
            return "+";
        case Operator::Minus:
            return "-";
        case Operator::Multiply:
            return "*";
        case Operator::Divide:
            return "/";
        case Operator::Power:
            return "^";
        case Operator::Concatenate:
            return "&";
        case Operator::Equal:
            return "=";
        case Operator::NotEqual:
            return "<>";
        case Operator::Less:
            return "<";
        case Operator::Greater:
            return ">";
        case Operator::LessEqual:
            return "<=";
        case Operator::GreaterEqual:
            return ">=";
    }
    return "?";
}

class Renderer {
  public:
    Renderer(const std::function<std::optional<std::string>(std::string_view)>& canonicalName,
             int rowOffset, int columnOffset)
        : canonicalName_(canonicalName), rowOffset_(rowOffset), columnOffset_(columnOffset) {}

    void render(const Node& node, std::string& out) const {
        switch (node.kind) {
            case NodeKind::Number:
                out += generalNumber(node.number);
                return;
            case NodeKind::Text:
                quoteText(node.text, out);
                return;
            case NodeKind::Boolean:
                out += node.boolean ? "TRUE" : "FALSE";
                return;
            case NodeKind::Error:
                out += base::cellErrorText(node.error);
                return;
            case NodeKind::Missing:
                return;
            case NodeKind::Reference:
                reference(node, out);
                return;
            case NodeKind::Name:
                out += node.text;
                return;
            case NodeKind::Unary:
                out += operatorText(node.op);
                render(node.children[0], out);
                return;
            case NodeKind::Percent:
                render(node.children[0], out);
                out += '%';
                return;
            case NodeKind::Binary:
                render(node.children[0], out);
                out += operatorText(node.op);
                render(node.children[1], out);
                return;
            case NodeKind::Paren:
                out += '(';
                render(node.children[0], out);
                out += ')';
                return;
            case NodeKind::Call:
                call(node, out);
                return;
        }
    }

  private:
    static void quoteText(const std::string& text, std::string& out) {
        out += '"';
        for (char c : text) {
            if (c == '"') {
                out += '"';
            }
            out += c;
        }
        out += '"';
    }

    void call(const Node& node, std::string& out) const {
        if (node.builtin >= 0) {
            out += builtins()[static_cast<std::size_t>(node.builtin)].name;
        } else if (auto name = canonicalName_ ? canonicalName_(node.text) : std::nullopt) {
            out += *name;
        } else {
            out += node.text;
        }
        out += '(';
        for (std::size_t i = 0; i < node.children.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            render(node.children[i], out);
        }
        out += ')';
    }

    // Moves one coordinate unless it is absolute; false when it leaves the sheet.
    static bool move(int& coordinate, bool absolute, int offset, int limit) {
        if (absolute) {
            return true;
        }
        const long long moved = static_cast<long long>(coordinate) + offset;
        if (moved < 1 || moved > limit) {
            return false;
        }
        coordinate = static_cast<int>(moved);
        return true;
    }

    void reference(const Node& node, std::string& out) const {
        CellAddress first{node.area.firstRow, node.area.firstColumn, node.form.absoluteFirstRow,
                          node.form.absoluteFirstColumn};
        CellAddress last{node.area.lastRow, node.area.lastColumn, node.form.absoluteLastRow,
                         node.form.absoluteLastColumn};
        const bool onSheet = move(first.row, first.absoluteRow, rowOffset_, MaxRows) &&
                             move(first.column, first.absoluteColumn, columnOffset_, MaxColumns) &&
                             move(last.row, last.absoluteRow, rowOffset_, MaxRows) &&
                             move(last.column, last.absoluteColumn, columnOffset_, MaxColumns);
        if (!onSheet) {
            out += base::cellErrorText(base::CellError::Ref);
            return;
        }
        // A relative corner may have moved past an absolute one; keep the area in order.
        if (first.row > last.row) {
            std::swap(first.row, last.row);
            std::swap(first.absoluteRow, last.absoluteRow);
        }
        if (first.column > last.column) {
            std::swap(first.column, last.column);
            std::swap(first.absoluteColumn, last.absoluteColumn);
        }
        if (!node.area.sheet.empty()) {
            out += quoteSheetName(node.area.sheet);
            out += '!';
        }
        out += formatCellAddress(first);
        if (node.form.writtenAsArea) {
            out += ':';
            out += formatCellAddress(last);
        }
    }

    const std::function<std::optional<std::string>(std::string_view)>& canonicalName_;
    int rowOffset_;
    int columnOffset_;
};

}  // namespace

std::string render(const Formula& formula,
                   const std::function<std::optional<std::string>(std::string_view)>& canonicalName,
                   int rowOffset, int columnOffset) {
    std::string out;
    if (formula.root()) {
        Renderer(canonicalName, rowOffset, columnOffset).render(*formula.root(), out);
    }
    return out;
}

}  // namespace kavex::formula
