#pragma once

#include <string>
#include <string_view>

namespace kavex::addin::functions {

// The text as the body of an SQL text literal: every apostrophe doubled.
std::string SqlText(std::string_view text);

}  // namespace kavex::addin::functions
