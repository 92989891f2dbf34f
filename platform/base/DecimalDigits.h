#pragma once

#include <string>

namespace kavex::base {

// A finite number as decimal digits, so that rounding and scaling happen on the digits a reader
// sees rather than on the binary double (2.675 is 2.67499999... in binary but rounds to 2.68).
// The value is 0.d1d2d3... times 10^pointPosition; digits hold no leading or trailing zeros and
// are empty for zero.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int pointPosition = 0;

    bool isZero() const { return digits.empty(); }
    // The digits before the decimal point, "" for a value below 1.
    std::string integerDigits() const;
    // The first `places` digits after the decimal point, padded with zeros.
    std::string fractionDigits(int places) const;
};

// The 15 significant digits the runtime shows of a double (118.32499999999999 is 118.325), so
// that a pattern rounds the value a user sees, not its binary tail.
DecimalDigits shownDigits(double value);
// Rounds to `places` digits after the decimal point, halves away from zero.
DecimalDigits roundToPlaces(DecimalDigits value, int places);
// Multiplies by 10^power.
DecimalDigits scaleByPowerOfTen(DecimalDigits value, int power);

}  // namespace kavex::base
