#include "platform/base/DecimalDigits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kavex::base {

namespace {
void normalize(DecimalDigits& value) {
    const auto first = value.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        value.digits.clear();
        value.pointPosition = 0;
        value.negative = false;
        return;
    }
    value.digits.erase(0, first);
    value.pointPosition -= static_cast<int>(first);
    value.digits.erase(value.digits.find_last_not_of('0') + 1);
}
}  // namespace

std::string DecimalDigits::integerDigits() const {
    if (pointPosition <= 0) {
        return {};
    }
    std::string result = digits.substr(0, static_cast<std::size_t>(pointPosition));
    result.append(static_cast<std::size_t>(pointPosition) - result.size(), '0');
    return result;
}

std::string DecimalDigits::fractionDigits(int places) const {
    std::string result;
    for (int i = 0; i < places; ++i) {
        const int index = pointPosition + i;
        result += index >= 0 && index < static_cast<int>(digits.size())
                      ? digits[static_cast<std::size_t>(index)]
                      : '0';
    }
    return result;
}

DecimalDigits shownDigits(double value) {
    DecimalDigits result;
    if (!std::isfinite(value) || value == 0) {
        return result;
    }
    // d.dddddddddddddde[+-]xx: 15 significant digits, rounded on the binary value.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const std::string text(buffer);
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            result.digits += text[i];
        }
    }
    result.pointPosition = std::atoi(text.c_str() + e + 1) + 1;
    result.negative = value < 0;
    normalize(result);
    return result;
}

DecimalDigits roundToPlaces(DecimalDigits value, int places) {
    const int keep = value.pointPosition + places;
    if (keep >= static_cast<int>(value.digits.size())) {
        return value;
    }
    if (keep < 0) {
        return DecimalDigits{};
    }
    const bool up = value.digits[static_cast<std::size_t>(keep)] >= '5';
    value.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && value.digits[static_cast<std::size_t>(i)] == '9') {
            value.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++value.digits[static_cast<std::size_t>(i)];
        } else {
            value.digits.insert(value.digits.begin(), '1');
            ++value.pointPosition;
        }
    }
    normalize(value);
    return value;
}

DecimalDigits scaleByPowerOfTen(DecimalDigits value, int power) {
    if (!value.isZero()) {
        value.pointPosition += power;
    }
    return value;
}

}  // namespace kavex::base
