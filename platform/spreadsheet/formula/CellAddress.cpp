#include "platform/spreadsheet/formula/CellAddress.h"

#include <utility>

#include "platform/base/Text.h"
#include "platform/spreadsheet/formula/Lexer.h"
#include "platform/spreadsheet/formula/Text.h"

namespace kavex::formula {

namespace {
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

std::optional<CellAddress> parseCellAddress(std::string_view text) {
    CellAddress cell;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$') {
        cell.absoluteColumn = true;
        ++i;
    }
    const std::size_t lettersStart = i;
    int column = 0;
    while (i < text.size() && isLetter(text[i])) {
        if (i - lettersStart >= 3) {
            return std::nullopt;
        }
        column = column * 26 + (base::toUpperAscii(text[i]) - 'A' + 1);
        ++i;
    }
    if (i == lettersStart || column > MaxColumns) {
        return std::nullopt;
    }
    if (i < text.size() && text[i] == '$') {
        cell.absoluteRow = true;
        ++i;
    }
    const std::size_t digitsStart = i;
    long row = 0;
    while (i < text.size() && isDigit(text[i])) {
        row = row * 10 + (text[i] - '0');
        if (row > MaxRows) {
            return std::nullopt;
        }
        ++i;
    }
    if (i == digitsStart || i != text.size() || row < 1) {
        return std::nullopt;
    }
    cell.row = static_cast<int>(row);
    cell.column = column;
    return cell;
}

std::string columnName(int column) {
    std::string name;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        column = (column - 1) / 26;
    }
    return name;
}

std::string formatCellAddress(const CellAddress& cell) {
    std::string out;
    if (cell.absoluteColumn) {
        out += '$';
    }
    out += columnName(cell.column);
    if (cell.absoluteRow) {
        out += '$';
    }
    out += std::to_string(cell.row);
    return out;
}

std::optional<AreaRef> parseAreaReference(std::string_view text) {
    try {
        const auto tokens = tokenize(text);
        if (tokens.size() == 2 && tokens[0].kind == TokenKind::Reference) {
            return tokens[0].area;
        }
    } catch (const ParseError&) {
    }
    return std::nullopt;
}

std::string formatAreaReference(const AreaRef& area, bool absolute) {
    std::string out =
        formatCellAddress(CellAddress{area.firstRow, area.firstColumn, absolute, absolute});
    if (!area.isSingleCell()) {
        out += ':';
        out += formatCellAddress(CellAddress{area.lastRow, area.lastColumn, absolute, absolute});
    }
    return out;
}

std::string quoteSheetName(std::string_view sheet) {
    const bool plain = isPlainWord(sheet) && !parseCellAddress(sheet) &&
                       !base::equalsIgnoringCase(sheet, "TRUE") &&
                       !base::equalsIgnoringCase(sheet, "FALSE");
    if (plain) {
        return std::string(sheet);
    }
    std::string out = "'";
    for (char c : sheet) {
        if (c == '\'') {
            out += '\'';
        }
        out += c;
    }
    out += '\'';
    return out;
}

}  // namespace kavex::formula
