#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Variant.h"

namespace kavex::formula {

// How formulas see values: the spreadsheet's coercions between kinds.

// A number in the general form the spreadsheet shows and joins: up to 15 significant digits, no
// trailing zeros, scientific notation only for very large or very small magnitudes
// (1234.5 -> "1234.5", 0.1+0.2 -> "0.3", 1E20 -> "1E+20").
std::string generalNumber(double value);

// A text as the cells read a date or a time (base::parseCellDate): also a time of 24 hours or
// more, and a day and month without a year, which fall in the current year of the host's clock.
std::optional<base::Date> dateFromText(std::string_view text);

// A text as a number, as arithmetic and VALUE read it: a number ("$1,000.50", "5%"), a date or
// a time as dateFromText reads it (its serial: "1/1/2020" is 43831, "12:30" 0.5208..., "25:00"
// 1.0416...), or a bracketed amount without a sign of its own, which is negative ("(5)" is -5);
// nullopt for any other text.
std::optional<double> numberFromText(std::string_view text);

// A value in arithmetic: numbers and dates as they are, TRUE 1, FALSE 0, empty 0, text as
// numberFromText reads it, other text #VALUE!; errors stay themselves.
struct NumberResult {
    double value = 0.0;
    std::optional<base::CellError> error;
};
NumberResult toNumber(const base::Variant& value);

// A number a formula computed as a value: an overflow (2^1024, SUM(1E308,1E308)) or a result
// that is no number ((-8)^(1/3)) is #NUM!, so that a cell never holds an infinity.
inline base::Variant numberOrError(double value) {
    if (!std::isfinite(value)) [[unlikely]] {
        return base::Variant(base::CellError::Num);
    }
    return base::Variant(value);
}

// A value joined with &: numbers (and dates, by their serial) in the general form, "TRUE"/"FALSE",
// empty "". Errors are written as their text; callers propagate them first.
std::string toText(const base::Variant& value);

// A value as a condition: numbers non-zero, text "TRUE"/"FALSE" in any case, empty FALSE; other
// text #VALUE!; errors stay themselves.
struct BooleanResult {
    bool value = false;
    std::optional<base::CellError> error;
};
BooleanResult toBoolean(const base::Variant& value);

// Orders two values that are not errors as the comparison operators do: numbers before text
// before logical values; text as compareTexts orders it (letter case ignored); empty is 0, "" or
// FALSE after the other side.
int compareValues(const base::Variant& a, const base::Variant& b);

// Rounds to digits decimals (negative: to tens, hundreds, ...), halves away from zero, decided on
// the decimal digits the value shows rather than its binary approximation (2.675 -> 2.68). To a
// power of ten past 1E+308 every number rounds to 0 (ROUND(1E308,-309)), never to an overflow.
double roundHalfAway(double value, int digits);

}  // namespace kavex::formula
