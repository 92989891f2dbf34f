#include "platform/spreadsheet/formula/Lexer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/base/Conversions.h"
#include "platform/base/Locale.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/formula/CellAddress.h"
#include "platform/spreadsheet/formula/Text.h"

namespace kavex::formula {

namespace {

using base::CellError;

struct ErrorLiteral {
    std::string_view text;
    CellError error;
};

constexpr std::array<ErrorLiteral, 6> errorLiterals{{
    {"#N/A", CellError::NA},
    {"#VALUE!", CellError::Value},
    {"#REF!", CellError::Ref},
    {"#DIV/0!", CellError::Div0},
    {"#NAME?", CellError::Name},
    {"#NUM!", CellError::Num},
}};

// Formulas write numbers with "." whatever the user's regional settings.
const base::Locale& formulaLocale() {
    static const base::Locale invariant;
    return invariant;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        for (;;) {
            while (pos_ < text_.size() && isBlank(text_[pos_])) {
                ++pos_;
            }
            if (pos_ >= text_.size()) {
                Token end;
                end.position = text_.size();
                tokens.push_back(std::move(end));
                return tokens;
            }
            tokens.push_back(next());
        }
    }

  private:
    char at(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    Token simple(TokenKind kind, std::size_t length) {
        Token token;
        token.kind = kind;
        token.position = pos_;
        token.length = length;
        pos_ += length;
        return token;
    }

    Token op(Operator which, std::size_t length) {
        Token token = simple(TokenKind::Operator, length);
        token.op = which;
        return token;
    }

    Token next() {
        const char c = text_[pos_];
        if (isDigit(c)) {
            if (auto rows = wholeLines(pos_, std::string())) {
                return std::move(*rows);
            }
        }
        if (isDigit(c) || (c == '.' && isDigit(at(pos_ + 1)))) {
            return number();
        }
        if (c == '"') {
            return textLiteral();
        }
        if (c == '#') {
            return errorLiteral();
        }
        if (c == '\'') {
            return quotedSheetReference();
        }
        if (isWordStart(c) || c == '$') {
            return word();
        }
        switch (c) {
            case '+':
                return op(Operator::Plus, 1);
            case '-':
                return op(Operator::Minus, 1);
            case '*':
                return op(Operator::Multiply, 1);
            case '/':
                return op(Operator::Divide, 1);
            case '^':
                return op(Operator::Power, 1);
            case '&':
                return op(Operator::Concatenate, 1);
            case '=':
                return op(Operator::Equal, 1);
            case '<':
                if (at(pos_ + 1) == '=') {
                    return op(Operator::LessEqual, 2);
                }
                if (at(pos_ + 1) == '>') {
                    return op(Operator::NotEqual, 2);
                }
                return op(Operator::Less, 1);
            case '>':
                if (at(pos_ + 1) == '=') {
                    return op(Operator::GreaterEqual, 2);
                }
                return op(Operator::Greater, 1);
            case '%':
                return simple(TokenKind::Percent, 1);
            case '(':
                return simple(TokenKind::LeftParen, 1);
            case ')':
                return simple(TokenKind::RightParen, 1);
            case ',':
                return simple(TokenKind::Comma, 1);
            default:
                break;
        }
        throw ParseError(pos_, "Unexpected character \"" + std::string(1, c) + "\"");
    }

    Token number() {
        const std::size_t start = pos_;
        std::size_t i = pos_;
        while (isDigit(at(i))) {
            ++i;
        }
        if (at(i) == '.') {
            ++i;
            while (isDigit(at(i))) {
                ++i;
            }
        }
        if (at(i) == 'e' || at(i) == 'E') {
            std::size_t j = i + 1;
            if (at(j) == '+' || at(j) == '-') {
                ++j;
            }
            if (!isDigit(at(j))) {
                throw ParseError(i, "Malformed number: digits expected after the exponent mark");
            }
            while (isDigit(at(j))) {
                ++j;
            }
            i = j;
        }
        double value = 0.0;
        const char* first = text_.data() + start;
        const char* last = text_.data() + i;
        // from_chars does not accept a leading "." on every library; read ".5" as "0.5".
        std::string padded;
        if (*first == '.') {
            padded = "0" + std::string(first, last);
            first = padded.data();
            last = padded.data() + padded.size();
        }
        const auto result = std::from_chars(first, last, value);
        // The spreadsheet keeps 15 significant digits of a constant, so that the formula shown
        // (and saved) is the formula computed; a constant that rounds past the largest number
        // is out of range as any larger one.
        const auto kept = base::parseEnteredNumber(text_.substr(start, i - start), formulaLocale());
        if (result.ec != std::errc() || result.ptr != last || !kept) {
            throw ParseError(start, "The number " + std::string(text_.substr(start, i - start)) +
                                        " is out of range");
        }
        Token token = simple(TokenKind::Number, i - start);
        token.number = *kept;
        return token;
    }

    Token textLiteral() {
        const std::size_t start = pos_;
        std::string value;
        std::size_t i = pos_ + 1;
        for (;;) {
            if (i >= text_.size()) {
                throw ParseError(start, "Text without its closing double quote");
            }
            if (text_[i] == '"') {
                if (at(i + 1) == '"') {
                    value += '"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += text_[i++];
        }
        Token token = simple(TokenKind::Text, i - start);
        token.text = std::move(value);
        return token;
    }

    Token errorLiteral() {
        for (const auto& literal : errorLiterals) {
            if (base::equalsIgnoringCase(text_.substr(pos_, literal.text.size()), literal.text)) {
                Token token = simple(TokenKind::Error, literal.text.size());
                token.error = literal.error;
                return token;
            }
        }
        throw ParseError(pos_, "Unknown error value");
    }

    // 'Sheet name'!A1 or 'Sheet name'!A1:B2; a doubled quote inside is one quote.
    Token quotedSheetReference() {
        const std::size_t start = pos_;
        std::string sheet;
        std::size_t i = pos_ + 1;
        for (;;) {
            if (i >= text_.size()) {
                throw ParseError(start, "Sheet name without its closing quote");
            }
            if (text_[i] == '\'') {
                if (at(i + 1) == '\'') {
                    sheet += '\'';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            sheet += text_[i++];
        }
        if (sheet.empty()) {
            throw ParseError(start, "Empty sheet name");
        }
        if (at(i) != '!') {
            throw ParseError(i, "\"!\" and a cell reference expected after the sheet name");
        }
        return referenceAfterSheet(start, i + 1, std::move(sheet));
    }

    std::size_t wordEnd(std::size_t i) const {
        while (i < text_.size() && (isWordChar(text_[i]) || text_[i] == '$')) {
            ++i;
        }
        return i;
    }

    Token word() {
        const std::size_t start = pos_;
        const std::size_t end = wordEnd(start);
        const std::string_view w = text_.substr(start, end - start);
        const bool hasDollar = w.find('$') != std::string_view::npos;
        if (auto lines = wholeLines(start, std::string())) {
            return std::move(*lines);
        }
        if (at(end) == '!') {
            if (hasDollar || !isPlainWord(w)) {
                throw ParseError(start, "Malformed sheet name \"" + std::string(w) + "\"");
            }
            return referenceAfterSheet(start, end + 1, std::string(w));
        }
        if (at(end) == '(' && !hasDollar && isPlainWord(w)) {
            Token token = simple(TokenKind::Function, end + 1 - start);
            token.text = std::string(w);
            return token;
        }
        if (auto cell = parseCellAddress(w)) {
            return reference(start, end, std::string(), *cell);
        }
        if (!hasDollar && isPlainWord(w)) {
            if (base::equalsIgnoringCase(w, "TRUE") || base::equalsIgnoringCase(w, "FALSE")) {
                Token token = simple(TokenKind::Boolean, w.size());
                token.boolean = base::equalsIgnoringCase(w, "TRUE");
                return token;
            }
            Token token = simple(TokenKind::Name, w.size());
            token.text = std::string(w);
            return token;
        }
        throw ParseError(start, "\"" + std::string(w) + "\" is not a valid cell reference");
    }

    Token referenceAfterSheet(std::size_t start, std::size_t cellStart, std::string sheet) {
        if (auto lines = wholeLines(cellStart, sheet)) {
            lines->position = start;
            lines->length = pos_ - start;
            return std::move(*lines);
        }
        const std::size_t end = wordEnd(cellStart);
        const auto cell = parseCellAddress(text_.substr(cellStart, end - cellStart));
        if (!cell) {
            throw ParseError(cellStart, "A cell reference expected after \"!\"");
        }
        return reference(start, end, std::move(sheet), *cell);
    }

    // One side of a whole-line reference, "$D" or "3" (the "$" optional): a column by its
    // letters or a row by its number, on the sheet.
    struct LinePart {
        bool columns = false;
        int line = 0;
        bool absolute = false;
        std::size_t end = 0;
    };

    std::optional<LinePart> linePart(std::size_t i) const {
        LinePart part;
        if (at(i) == '$') {
            part.absolute = true;
            ++i;
        }
        const std::size_t first = i;
        long value = 0;
        if (isDigit(at(i))) {
            while (isDigit(at(i))) {
                value = value * 10 + (at(i) - '0');
                if (value > MaxRows) {
                    return std::nullopt;
                }
                ++i;
            }
            if (value < 1) {
                return std::nullopt;
            }
        } else {
            part.columns = true;
            while (base::toUpperAscii(at(i)) >= 'A' && base::toUpperAscii(at(i)) <= 'Z') {
                if (i - first >= 3) {
                    return std::nullopt;
                }
                value = value * 26 + (base::toUpperAscii(at(i)) - 'A' + 1);
                ++i;
            }
            if (i == first || value > MaxColumns) {
                return std::nullopt;
            }
        }
        // The part must end here: "A1" is a cell, "AB_" a name.
        if (isWordChar(at(i)) || at(i) == '$') {
            return std::nullopt;
        }
        part.line = static_cast<int>(value);
        part.end = i;
        return part;
    }

    // Whole columns ("D:D", "$B:$F") or whole rows ("3:3", "$2:$5") starting at start; nullopt
    // when the text there is no such reference.
    std::optional<Token> wholeLines(std::size_t start, std::string sheet) {
        const auto first = linePart(start);
        if (!first || at(first->end) != ':') {
            return std::nullopt;
        }
        const auto last = linePart(first->end + 1);
        if (!last || last->columns != first->columns) {
            return std::nullopt;
        }
        LinePart low = *first;
        LinePart high = *last;
        if (low.line > high.line) {
            std::swap(low, high);
        }
        Token token;
        token.kind = TokenKind::Reference;
        token.position = start;
        token.length = last->end - start;
        pos_ = last->end;
        token.form.writtenAsArea = true;
        if (first->columns) {
            token.area = AreaRef{std::move(sheet), 1, low.line, MaxRows, high.line};
            token.form.absoluteFirstColumn = low.absolute;
            token.form.absoluteLastColumn = high.absolute;
            token.form.span = ReferenceSpan::Columns;
        } else {
            token.area = AreaRef{std::move(sheet), low.line, 1, high.line, MaxColumns};
            token.form.absoluteFirstRow = low.absolute;
            token.form.absoluteLastRow = high.absolute;
            token.form.span = ReferenceSpan::Rows;
        }
        return token;
    }

    // The first cell has been read (it ends at end); an area follows when ":" comes next.
    Token reference(std::size_t start, std::size_t end, std::string sheet,
                    const CellAddress& first) {
        CellAddress last = first;
        bool area = false;
        if (at(end) == ':') {
            const std::size_t secondStart = end + 1;
            const std::size_t secondEnd = wordEnd(secondStart);
            const auto second =
                parseCellAddress(text_.substr(secondStart, secondEnd - secondStart));
            if (!second) {
                throw ParseError(secondStart, "A cell reference expected after \":\"");
            }
            last = *second;
            area = true;
            end = secondEnd;
        }
        CellAddress top = first;
        CellAddress bottom = last;
        if (top.row > bottom.row) {
            std::swap(top.row, bottom.row);
            std::swap(top.absoluteRow, bottom.absoluteRow);
        }
        if (top.column > bottom.column) {
            std::swap(top.column, bottom.column);
            std::swap(top.absoluteColumn, bottom.absoluteColumn);
        }
        Token token = simple(TokenKind::Reference, end - start);
        token.area = AreaRef{std::move(sheet), top.row, top.column, bottom.row, bottom.column};
        token.form = ReferenceForm{top.absoluteRow, top.absoluteColumn, bottom.absoluteRow,
                                   bottom.absoluteColumn, area};
        return token;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<Token> tokenize(std::string_view text) {
    return Lexer(text).run();
}

}  // namespace kavex::formula
