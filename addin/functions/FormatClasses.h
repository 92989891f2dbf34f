#pragma once

#include <string_view>

namespace kavex::addin::functions {

// The value classes FormatValue knows, compared exactly.
namespace format_class {
inline constexpr std::string_view Currency = "currency";
inline constexpr std::string_view WholeCurrency = "wholecurrency";
inline constexpr std::string_view Number = "number";
inline constexpr std::string_view WholeNumber = "wholenumber";
inline constexpr std::string_view Date = "date";
inline constexpr std::string_view Percentage = "percentage";
}  // namespace format_class

// The class a symbol quote element is shown in; the empty text for elements shown as stored.
// Tags compare exactly, letter case included.
std::string_view SymbolFormatClass(std::string_view tag);
// The same for the elements of an exchange's cached statistics (a shorter table: the exchange's
// ChPerc is a plain number, not a percentage).
std::string_view ExchangeFormatClass(std::string_view tag);

}  // namespace kavex::addin::functions
