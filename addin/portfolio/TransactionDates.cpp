#include "addin/portfolio/TransactionDates.h"

#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"

namespace kavex::addin::portfolio {

base::Date EarliestTransactionDate() {
    return *base::makeDate(1900, 3, 1);
}

std::optional<std::string> TransactionDateProblem(base::Date date) {
    if (base::datePart(date) < EarliestTransactionDate()) {
        return "Minimum valid date is March 1, 1900.";
    }
    if (base::datePart(date) > base::datePart(os::Now())) {
        return "Transaction date cannot be greater than today's date.";
    }
    return std::nullopt;
}

std::optional<std::string> TransactionDateTextProblem(const std::string& dateText) {
    if (core::TrimWhitespace(dateText).empty()) {
        return "Transaction date cannot be blank.";
    }
    const auto date = base::parseDate(dateText);
    if (!date) {
        return "Enter a valid date.";
    }
    return TransactionDateProblem(*date);
}

}  // namespace kavex::addin::portfolio
