#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// Reads the integer digits, grouped by three or not grouped, and leaves them (separators and
// all) in digits; false on a misplaced separator.
bool readIntegerDigits(std::string_view& text, char grouping, std::string_view& digits) {
    const std::string_view start = text;
    int groupLength = 0;
    bool grouped = false;
    while (!text.empty()) {
        const char c = text.front();
        if (isDigit(c)) {
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
    digits = start.substr(0, start.size() - text.size());
    return !grouped || groupLength == 3;
}

// A number text taken apart: its sign, its integer digits (with their grouping separators), its
// decimal digits and its power of ten.
struct NumberParts {
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
    long long exponent = 0;
};

std::optional<NumberParts> numberParts(std::string_view text, const Locale& locale) {
    text = trimBlanks(text);

    NumberParts parts;
    bool sawSign = false;
    bool sawCurrency = false;
    for (;;) {
        if (!sawSign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
            parts.negative = text.front() == '-';
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

    if (!readIntegerDigits(text, locale.groupingSeparator, parts.integer)) {
        return std::nullopt;
    }
    if (!text.empty() && text.front() == locale.decimalSeparator) {
        text.remove_prefix(1);
        std::size_t count = 0;
        while (count < text.size() && isDigit(text[count])) {
            ++count;
        }
        parts.fraction = text.substr(0, count);
        text.remove_prefix(count);
    }
    if (parts.integer.empty() && parts.fraction.empty()) {
        return std::nullopt;
    }

    long long& exponent = parts.exponent;
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
    return parts;
}

// The value of the usual number, as a cell or a quote shows it, without the decimal text: up to
// 15 significant digits and a power of ten up to 22 either way. Its digits and that power are
// then doubles exactly, and one multiplication or division of the two rounds as reading the
// decimal text does. nullopt for any other number.
std::optional<double> exactValue(const NumberParts& parts) {
    constexpr int kExactDigits = 15;
    constexpr long long kExactPower = 22;
    static constexpr std::array<double, kExactPower + 1> kPowers = {
        1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t digits = 0;
    int significant = 0;
    const auto add = [&](char c) {
        if (!isDigit(c)) {
            return;  // a grouping separator
        }
        if (significant > 0 || c != '0') {
            ++significant;
        }
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    };
    for (const std::string_view part : {parts.integer, parts.fraction}) {
        for (const char c : part) {
            add(c);
            if (significant > kExactDigits) {
                return std::nullopt;
            }
        }
    }
    const long long power = parts.exponent - static_cast<long long>(parts.fraction.size());
    if (power < -kExactPower || power > kExactPower) {
        return std::nullopt;
    }
    const double value = static_cast<double>(digits);
    return power < 0 ? value / kPowers[static_cast<std::size_t>(-power)]
                     : value * kPowers[static_cast<std::size_t>(power)];
}

// The value of the parts: exactly as above where it can, else through the standard reading of
// their decimal text. A number too small to hold reads as zero; one too large is no number.
std::optional<double> valueOf(const NumberParts& parts) {
    const bool negative = parts.negative;
    if (const std::optional<double> exact = exactValue(parts)) {
        return negative ? -*exact : *exact;
    }

    std::string normalized;
    for (const char c : parts.integer) {
        if (isDigit(c)) {
            normalized += c;
        }
    }
    if (normalized.empty()) {
        normalized = "0";
    }
    if (!parts.fraction.empty()) {
        normalized += '.';
        normalized += parts.fraction;
    }
    const long long exponent = parts.exponent;
    normalized += 'e';
    normalized += std::to_string(exponent);
    double value = 0;
    const auto [end, ec] =
        std::from_chars(normalized.data(), normalized.data() + normalized.size(), value);
    if (ec == std::errc::result_out_of_range) {
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

// The significant digits a cell keeps of a number typed into it.
constexpr std::size_t kKeptDigits = 15;

// The parts with their significant digits rounded to kKeptDigits, halves away from zero; the
// digits are held in `digits`, which the parts returned point into.
NumberParts roundedParts(const NumberParts& parts, std::string& digits) {
    digits.clear();
    for (const std::string_view part : {parts.integer, parts.fraction}) {
        for (const char c : part) {
            if (isDigit(c) && (!digits.empty() || c != '0')) {
                digits += c;
            }
        }
    }
    if (digits.size() <= kKeptDigits) {
        return parts;
    }
    // The power of ten of the last digit kept.
    long long power = parts.exponent - static_cast<long long>(parts.fraction.size()) +
                      static_cast<long long>(digits.size() - kKeptDigits);
    const bool up = digits[kKeptDigits] >= '5';
    digits.resize(kKeptDigits);
    if (up) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[i - 1] = '0';
            --i;
        }
        if (i > 0) {
            ++digits[i - 1];
        } else {
            // 999...9 carried over into 1000...0: one digit more, still 15 of them kept.
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++power;
        }
    }
    NumberParts rounded;
    rounded.negative = parts.negative;
    rounded.integer = digits;
    rounded.exponent = power;
    return rounded;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    const std::optional<NumberParts> parts = numberParts(text, currentLocale());
    if (!parts) {
        return std::nullopt;
    }
    return valueOf(*parts);
}

std::optional<double> parseEnteredNumber(std::string_view text, const Locale& locale) {
    const std::optional<NumberParts> parts = numberParts(text, locale);
    if (!parts) {
        return std::nullopt;
    }
    std::string digits;
    return valueOf(roundedParts(*parts, digits));
}

std::optional<double> parseEnteredNumber(std::string_view text) {
    return parseEnteredNumber(text, currentLocale());
}

}  // namespace kavex::base
