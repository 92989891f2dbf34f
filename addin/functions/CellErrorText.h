#pragma once

#include <string_view>

namespace kavex::addin::functions {

// The words a worksheet function answers instead of a value.
namespace cell_error {
inline constexpr std::string_view NoData = "#NODATA!";
inline constexpr std::string_view Invalid = "#INVALID!";
inline constexpr std::string_view Error = "#ERROR!";
inline constexpr std::string_view Name = "#NAME!";
inline constexpr std::string_view NotAvailable = "N/A";
}  // namespace cell_error

}  // namespace kavex::addin::functions
