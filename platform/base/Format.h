#pragma once

#include <string>
#include <string_view>

#include "platform/base/Date.h"
#include "platform/base/Variant.h"

namespace kavex::base {

// The runtime's Format. Number patterns: 0 # , . % $ and literal characters, rounding halves away
// from zero on the digits that are shown; a negative number gets a leading minus sign before the
// whole text. Date patterns: d dd m mm mmm mmmm yy yyyy h hh n nn s ss AM/PM and the named forms
// "Short Date", "General Date". A text that does not convert is returned unchanged.
std::string Format(const Variant& value, std::string_view pattern);
std::string formatNumber(double value, std::string_view pattern);
std::string formatDate(Date date, std::string_view pattern);

}  // namespace kavex::base
