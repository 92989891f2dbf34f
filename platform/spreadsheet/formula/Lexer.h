#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "platform/spreadsheet/formula/Node.h"

namespace kavex::formula {

enum class TokenKind {
    Number,
    Text,
    Error,
    Boolean,
    Reference,  // a cell or an area, with its sheet when one was named
    Function,   // a name directly followed by "(" (the "(" is part of the token)
    Name,       // any other identifier: a defined name
    Operator,   // + - * / ^ & = <> < > <= >=; the parser tells unary + and - apart
    Percent,
    LeftParen,
    RightParen,
    Comma,
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t position = 0;  // 0-based offset of the token's first character
    std::size_t length = 0;
    double number = 0.0;
    bool boolean = false;
    base::CellError error = base::CellError::Value;
    std::string text;  // Text: the value; Function and Name: the name as typed
    Operator op = Operator::Plus;
    AreaRef area;
    ReferenceForm form;
};

// Splits the formula text (after "=") into tokens, the last being End. Blanks between tokens are
// dropped. Throws ParseError for an unterminated text, an unknown error value, a malformed number
// or reference, and characters that belong to no token.
std::vector<Token> tokenize(std::string_view text);

}  // namespace kavex::formula
