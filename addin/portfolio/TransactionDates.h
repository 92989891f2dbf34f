#pragma once

#include <optional>
#include <string>

#include "platform/base/Date.h"

namespace kavex::addin::portfolio {

// The first day a transaction may carry, booked or read back from the history: before March 1900
// the spreadsheet's day numbers and the calendar's disagree by a day.
base::Date EarliestTransactionDate();

// Why a transaction date cannot be booked, in the words the user is shown; nullopt when it can:
// from March 1, 1900 up to today.
std::optional<std::string> TransactionDateProblem(base::Date date);
// The same for a typed date, which must also be there and read as a date.
std::optional<std::string> TransactionDateTextProblem(const std::string& dateText);

}  // namespace kavex::addin::portfolio
