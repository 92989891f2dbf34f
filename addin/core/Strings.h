#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavex::addin::core {

// The text with every occurrence of find replaced by replacement, compared case-sensitively from
// the first character on; the empty text when the replacement fails.
std::string ReplaceString(std::string_view text, std::string_view find,
                          std::string_view replacement);

// The parts of text between the delimiters (the runtime's Split): an empty text gives no parts;
// an empty delimiter gives the whole text as one part.
std::vector<std::string> SplitString(std::string_view text, std::string_view delimiter);

// The text without the blanks, tabs and line breaks at either end.
std::string TrimWhitespace(std::string_view text);

// The text as the body of an SQL text literal: every apostrophe doubled.
std::string SqlText(std::string_view text);
// The text as an SQL text literal: between apostrophes, each apostrophe inside doubled.
std::string SqlQuoted(std::string_view text);

// Encodes a value for a query string: letters, digits and "-_.~" stay, a blank becomes "+",
// every other byte "%XX".
std::string URLEncode(std::string_view value);

}  // namespace kavex::addin::core
