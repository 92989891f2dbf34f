#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kavex::formula {

// <0, 0, >0 as a sorts before, with or after b, ASCII letter case ignored (platform/base/Text.h
// has the rest of the letter-case helpers).
int compareIgnoringCase(std::string_view a, std::string_view b);

// Characters of names (functions, defined names, sheet names written without quotes): a word
// starts with a letter, "_" or "\" and goes on with those, digits and "."; bytes of multi-byte
// characters count as letters.
bool isWordStart(char c);
bool isWordChar(char c);
bool isPlainWord(std::string_view text);

// Texts are UTF-8; lengths and positions of the text functions count characters, not bytes.
std::size_t characterCount(std::string_view text);
// The bytes of count characters starting at character first (0-based), clipped to the text.
std::string_view characterSlice(std::string_view text, std::size_t first, std::size_t count);

}  // namespace kavex::formula
