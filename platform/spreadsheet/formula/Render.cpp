#include <algorithm>
#include <string>

#include "platform/spreadsheet/formula/Builtins.h"
#include "platform/spreadsheet/formula/CellAddress.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "platform/spreadsheet/formula/Lexer.h"
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

// Moves the corners of a reference; false when the reference is lost (#REF!). Of whole columns
// only the columns count, of whole rows only the rows.
using Move = std::function<bool(const std::string& sheet, ReferenceSpan span, CellAddress& first,
                                CellAddress& last)>;

// Renders the formula's tokens again, keeping the blanks the user typed between them (the host
// shows a formula as it was entered) and dropping those at its end.
class Renderer {
  public:
    Renderer(const std::function<std::optional<std::string>(std::string_view)>& canonicalName,
             const Move& move)
        : canonicalName_(canonicalName), move_(move) {}

    std::string render(std::string_view text) const {
        std::string out;
        std::size_t previousEnd = 0;
        for (const Token& token : tokenize(text)) {
            if (token.kind == TokenKind::End) {
                break;
            }
            out.append(text.substr(previousEnd, token.position - previousEnd));
            previousEnd = token.position + token.length;
            render(token, out);
        }
        return out;
    }

  private:
    void render(const Token& token, std::string& out) const {
        switch (token.kind) {
            case TokenKind::Number:
                out += generalNumber(token.number);
                return;
            case TokenKind::Text:
                quoteText(token.text, out);
                return;
            case TokenKind::Boolean:
                out += token.boolean ? "TRUE" : "FALSE";
                return;
            case TokenKind::Error:
                out += base::cellErrorText(token.error);
                return;
            case TokenKind::Reference:
                reference(token, out);
                return;
            case TokenKind::Function:
                functionName(token.text, out);
                out += '(';
                return;
            case TokenKind::Name:
                out += token.text;
                return;
            case TokenKind::Operator:
                out += operatorText(token.op);
                return;
            case TokenKind::Percent:
                out += '%';
                return;
            case TokenKind::LeftParen:
                out += '(';
                return;
            case TokenKind::RightParen:
                out += ')';
                return;
            case TokenKind::Comma:
                out += ',';
                return;
            case TokenKind::End:
                return;
        }
    }

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

    void functionName(const std::string& typed, std::string& out) const {
        if (const int builtin = findBuiltin(typed); builtin >= 0) {
            out += builtins()[static_cast<std::size_t>(builtin)].name;
        } else if (auto name = canonicalName_ ? canonicalName_(typed) : std::nullopt) {
            out += *name;
        } else {
            out += typed;
        }
    }

    void reference(const Token& token, std::string& out) const {
        CellAddress first{token.area.firstRow, token.area.firstColumn, token.form.absoluteFirstRow,
                          token.form.absoluteFirstColumn};
        CellAddress last{token.area.lastRow, token.area.lastColumn, token.form.absoluteLastRow,
                         token.form.absoluteLastColumn};
        if (move_ && !move_(token.area.sheet, token.form.span, first, last)) {
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
        if (!token.area.sheet.empty()) {
            out += quoteSheetName(token.area.sheet);
            out += '!';
        }
        if (token.form.span == ReferenceSpan::Columns) {
            out += (first.absoluteColumn ? "$" : "") + columnName(first.column) + ":" +
                   (last.absoluteColumn ? "$" : "") + columnName(last.column);
            return;
        }
        if (token.form.span == ReferenceSpan::Rows) {
            out += (first.absoluteRow ? "$" : "") + std::to_string(first.row) + ":" +
                   (last.absoluteRow ? "$" : "") + std::to_string(last.row);
            return;
        }
        out += formatCellAddress(first);
        if (token.form.writtenAsArea) {
            out += ':';
            out += formatCellAddress(last);
        }
    }

    const std::function<std::optional<std::string>(std::string_view)>& canonicalName_;
    const Move& move_;
};

// Moves one coordinate unless it is absolute; false when it leaves the sheet.
bool shift(int& coordinate, bool absolute, int offset, int limit) {
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

}  // namespace

bool shiftLines(int& first, int& last, const LineEdit& edit) {
    const int limit = edit.columns ? MaxColumns : MaxRows;
    if (edit.count == 0) {
        return true;
    }
    if (edit.count > 0) {
        // What is pushed past the last line falls off the sheet; an area keeps what is left.
        if (first >= edit.at && static_cast<long long>(first) + edit.count > limit) {
            return false;
        }
        if (first >= edit.at) {
            first += edit.count;
        }
        if (last >= edit.at) {
            last = static_cast<int>(
                std::min<long long>(static_cast<long long>(last) + edit.count, limit));
        }
        return true;
    }
    const int deleted = -edit.count;
    const int lastDeleted = edit.at + deleted - 1;
    if (first >= edit.at && last <= lastDeleted) {
        return false;
    }
    const auto place = [&](int row, bool isFirst) {
        if (row < edit.at) {
            return row;
        }
        if (row > lastDeleted) {
            return row - deleted;
        }
        return isFirst ? edit.at : edit.at - 1;
    };
    const int newFirst = place(first, true);
    const int newLast = place(last, false);
    first = newFirst;
    last = newLast;
    return true;
}

std::string render(const Formula& formula,
                   const std::function<std::optional<std::string>(std::string_view)>& canonicalName,
                   int rowOffset, int columnOffset) {
    if (rowOffset == 0 && columnOffset == 0) {
        return Renderer(canonicalName, Move()).render(formula.text());
    }
    const Move move = [&](const std::string&, ReferenceSpan span, CellAddress& first,
                          CellAddress& last) {
        const bool rows = span != ReferenceSpan::Columns;
        const bool columns = span != ReferenceSpan::Rows;
        return (!rows || (shift(first.row, first.absoluteRow, rowOffset, MaxRows) &&
                          shift(last.row, last.absoluteRow, rowOffset, MaxRows))) &&
               (!columns || (shift(first.column, first.absoluteColumn, columnOffset, MaxColumns) &&
                             shift(last.column, last.absoluteColumn, columnOffset, MaxColumns)));
    };
    return Renderer(canonicalName, move).render(formula.text());
}

std::string render(const Formula& formula,
                   const std::function<std::optional<std::string>(std::string_view)>& canonicalName,
                   const LineEdit& edit) {
    const Move move = [&](const std::string& sheet, ReferenceSpan span, CellAddress& first,
                          CellAddress& last) {
        if (edit.count == 0 || !edit.onSheet || !edit.onSheet(sheet)) {
            return true;
        }
        // Inserting or deleting rows leaves whole columns whole, and columns whole rows.
        if (span == (edit.columns ? ReferenceSpan::Rows : ReferenceSpan::Columns)) {
            return true;
        }
        return edit.columns ? shiftLines(first.column, last.column, edit)
                            : shiftLines(first.row, last.row, edit);
    };
    return Renderer(canonicalName, move).render(formula.text());
}

}  // namespace kavex::formula
