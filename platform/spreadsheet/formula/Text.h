#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kavex::formula {

// <0, 0, >0 as text a sorts before, with or after text b in the comparison operators, as the
// spreadsheet orders texts: by the language-neutral collation (blanks and punctuation first,
// then symbols, digits and letters; an accented letter after its plain letter and before the
// next letter, e < é < f), letter case ignored. Two texts are equal only when they differ in
// letter case alone; texts the collation cannot tell apart otherwise are ordered by their
// characters, so that exactly one of <, = and > holds.
int compareTexts(std::string_view a, std::string_view b);

// UPPER and LOWER: every letter of the text in upper (lower) case, one character for one
// ("straße" is "STRAßE"); bytes that are no UTF-8 character are kept.
std::string toUpperText(std::string_view text);
std::string toLowerText(std::string_view text);

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
