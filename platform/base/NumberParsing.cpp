#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "platform/base/Conversions.h"
#include "platform/base/Locale.h"

namespace kavex::base {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads the integer digits, grouped by three or not grouped; false on a misplaced separator.
bool readIntegerDigits(std::string_view& text, char grouping, std::string& digits) {
    int groupLength = 0;
    bool grouped = false;
    while (!text.empty()) {
        const char c = text.front();
        if (isDigit(c)) {
            digits += c;
            ++groupLength;
        } else if (c == grouping) {
            // A separator needs digits on both sides and three digits after the previous one.
            if (groupLength == 0 || (grouped && groupLength != 3) ||
                (!grouped && groupLength > 3) || text.size() < 2 || !isDigit(text[1])) {
                return false;
            }
            grouped = true;
            groupLength = 0;
        } else {
            break;
        }
        text.remove_prefix(1);
    }
    return !grouped || groupLength == 3;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    const Locale& locale = currentLocale();
    text = trimBlanks(text);

    bool negative = false;
    bool sawSign = false;
    bool sawCurrency = false;
    for (;;) {
        if (!sawSign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
            negative = text.front() == '-';
            sawSign = true;
            text.remove_prefix(1);
        } else if (!sawCurrency && !locale.currencySymbol.empty() &&
                   text.starts_with(locale.currencySymbol)) {
            sawCurrency = true;
            text.remove_prefix(locale.currencySymbol.size());
        } else {
            break;
        }
    }

    std::string integer;
    if (!readIntegerDigits(text, locale.groupingSeparator, integer)) {
        return std::nullopt;
    }
    std::string fraction;
    if (!text.empty() && text.front() == locale.decimalSeparator) {
        text.remove_prefix(1);
        while (!text.empty() && isDigit(text.front())) {
            fraction += text.front();
            text.remove_prefix(1);
        }
    }
    if (integer.empty() && fraction.empty()) {
        return std::nullopt;
    }

    long long exponent = 0;
    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        text.remove_prefix(1);
        bool negativeExponent = false;
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            negativeExponent = text.front() == '-';
            text.remove_prefix(1);
        }
        std::size_t count = 0;
        while (count < text.size() && isDigit(text[count])) {
            ++count;
        }
        if (count == 0) {
            return std::nullopt;
        }
        std::string_view exponentDigits = text.substr(0, count);
        text.remove_prefix(count);
        while (exponentDigits.size() > 1 && exponentDigits.front() == '0') {
            exponentDigits.remove_prefix(1);
        }
        count = exponentDigits.size();
        // Beyond this the value is infinite or zero anyway.
        if (count > 6) {
            exponent = 10'000'000;
        } else {
            std::from_chars(exponentDigits.data(), exponentDigits.data() + count, exponent);
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (!text.empty() && text.front() == '%') {
        text.remove_prefix(1);
        exponent -= 2;
    }
    if (!text.empty()) {
        return std::nullopt;
    }

    std::string normalized = integer.empty() ? "0" : integer;
    if (!fraction.empty()) {
        normalized += '.';
        normalized += fraction;
    }
    normalized += 'e';
    normalized += std::to_string(exponent);
    double value = 0;
    const auto [end, ec] =
        std::from_chars(normalized.data(), normalized.data() + normalized.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small to hold reads as zero; too large is no number.
        if (exponent < 0) {
            return negative ? -0.0 : 0.0;
        }
        return std::nullopt;
    }
    if (ec != std::errc{} || end != normalized.data() + normalized.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace kavex::base
