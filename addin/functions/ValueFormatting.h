#pragma once

#include <string>
#include <string_view>

#include "platform/base/Variant.h"

namespace kavex::addin::functions {

// Turns a cached value into display text by its format class ("currency", "wholecurrency",
// "number", "wholenumber", "date", "percentage"; any other text is no class). Text that is not
// numeric -- the error words included -- comes back unchanged, as does everything for no class.
// The currency pattern is read from the shared PriceFormat at each call. Never fails.
std::string FormatValue(std::string_view value, std::string_view formatClass);
inline std::string FormatValue(const std::string& value, std::string_view formatClass) {
    return FormatValue(std::string_view(value), formatClass);
}
inline std::string FormatValue(const char* value, std::string_view formatClass) {
    return FormatValue(std::string_view(value), formatClass);
}
// The same for a result of SubtractValues / DivideValues: a number is first turned into text in
// the user's locale.
std::string FormatValue(const base::Variant& value, std::string_view formatClass);

// a minus b when both are numeric (a number); else the first operand that is not (a text).
base::Variant SubtractValues(std::string_view a, std::string_view b);
// a divided by b when both are numeric (a number), "#ERROR!" for a zero divisor; else the first
// operand that is not numeric (a text).
base::Variant DivideValues(std::string_view a, std::string_view b);

// The range text "low - high", each present side shown in the format class; a missing (empty)
// side is a single blank, and two missing sides give the empty text.
std::string RangeText(const std::string& low, const std::string& high,
                      std::string_view formatClass);

}  // namespace kavex::addin::functions
