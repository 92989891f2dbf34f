#pragma once

#include <string>
#include <string_view>

namespace kavex::addin::core {

// The text with every occurrence of find replaced by replacement, compared case-sensitively from
// the first character on; the empty text when the replacement fails.
std::string ReplaceString(std::string_view text, std::string_view find,
                          std::string_view replacement);

}  // namespace kavex::addin::core
