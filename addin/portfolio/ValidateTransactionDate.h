#pragma once

#include <string>

namespace kavex::addin::portfolio {

// True for a date from March 1, 1900 up to today; otherwise shows the reason (exclamation,
// "Kavex") and returns False.
bool ValidateTransactionDate(const std::string& dateText);

}  // namespace kavex::addin::portfolio
