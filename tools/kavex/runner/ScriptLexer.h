#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavex::tool {

// A line of a scenario script that cannot be split into tokens (an unterminated quote, an unknown
// escape, ...). column is 1-based.
class LexError : public std::runtime_error {
  public:
    LexError(std::size_t column, const std::string& reason)
        : std::runtime_error(reason), column_(column) {}
    std::size_t column() const noexcept { return column_; }

  private:
    std::size_t column_;
};

// Splits one line of a script into its tokens. Blank lines and lines whose first non-blank
// character is '#' give no tokens. Tokens are separated by blanks (spaces and tabs). A token that
// begins with a double quote runs to the matching quote and may hold blanks; inside it "" is one
// quote and \n \r \t \\ \" \uXXXX are escapes. A token that does not begin with a quote is taken
// literally, quotes and backslashes included, so that =IF(A1="x",1,2) and C:\dir\file need no
// quoting. Throws LexError.
std::vector<std::string> splitScriptLine(std::string_view line);

// Appends the UTF-8 encoding of a code point (refusing surrogates and values past U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace kavex::tool
