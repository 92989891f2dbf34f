#include "platform/base/Conversions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/Format.h"
#include "platform/base/Locale.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"

namespace kavex::base {

namespace {

[[noreturn]] void typeMismatch() {
    throw PlatformError(errors::TypeMismatch, "Type mismatch");
}
[[noreturn]] void invalidUseOfNull() {
    throw PlatformError(errors::InvalidUseOfNull, "Invalid use of Null");
}
[[noreturn]] void overflow() {
    throw PlatformError(errors::Overflow, "Overflow");
}

// Half to even, as the runtime's integer conversions round.
double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double difference = value - lower;
    if (difference > 0.5) {
        return lower + 1;
    }
    if (difference < 0.5) {
        return lower;
    }
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

double toWholeInRange(const Variant& value, double low, double high) {
    const double number = CDbl(value);
    const double rounded = roundHalfEven(number);
    if (!(rounded >= low && rounded <= high)) {
        overflow();
    }
    return rounded;
}

}  // namespace

bool IsNumeric(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
        case VarType::Boolean:
        case VarType::Number:
            return true;
        case VarType::Text:
            return parseNumber(value.text()).has_value();
        default:
            return false;
    }
}

double CDbl(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
            return 0;
        case VarType::Null:
            invalidUseOfNull();
        case VarType::Boolean:
            return value.boolean() ? -1 : 0;
        case VarType::Number:
            return value.number();
        case VarType::Date:
            return value.date().serial;
        case VarType::Text:
            if (auto number = parseNumber(value.text())) {
                return *number;
            }
            typeMismatch();
        default:
            typeMismatch();
    }
}

long CLng(const Variant& value) {
    return static_cast<long>(toWholeInRange(value, -2147483648.0, 2147483647.0));
}

int CInt(const Variant& value) {
    return static_cast<int>(toWholeInRange(value, -32768.0, 32767.0));
}

bool CBool(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
            return false;
        case VarType::Null:
            invalidUseOfNull();
        case VarType::Boolean:
            return value.boolean();
        case VarType::Number:
            return value.number() != 0;
        case VarType::Date:
            return value.date().serial != 0;
        case VarType::Text:
            if (equalsIgnoringCase(value.text(), "True")) {
                return true;
            }
            if (equalsIgnoringCase(value.text(), "False")) {
                return false;
            }
            if (auto number = parseNumber(value.text())) {
                return *number != 0;
            }
            typeMismatch();
        default:
            typeMismatch();
    }
}

std::string numberToText(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    if (value == 0) {
        return "0";
    }
    // 15 significant digits, rounded on the binary value as the runtime does.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const std::string text(buffer);
    const auto e = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            digits += text[i];
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    const int exponent = std::atoi(text.c_str() + e + 1);
    const char point = currentLocale().decimalSeparator;

    std::string result = value < 0 ? "-" : "";
    // The exponent form below 0.0001 and from 10^15 on.
    if (exponent < -4 || exponent >= 15) {
        result += digits[0];
        if (digits.size() > 1) {
            result += point;
            result.append(digits, 1);
        }
        char exponentText[16];
        std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+',
                      std::abs(exponent));
        result += exponentText;
        return result;
    }
    if (exponent < 0) {
        result += '0';
        result += point;
        result.append(static_cast<std::size_t>(-exponent - 1), '0');
        result += digits;
        return result;
    }
    const auto integerCount = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerCount) {
        result += digits;
        result.append(integerCount - digits.size(), '0');
    } else {
        result.append(digits, 0, integerCount);
        result += point;
        result.append(digits, integerCount);
    }
    return result;
}

std::string CStr(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
            return "";
        case VarType::Null:
            invalidUseOfNull();
        case VarType::Boolean:
            return value.boolean() ? "True" : "False";
        case VarType::Number:
            return numberToText(value.number());
        case VarType::Text:
            return value.text();
        case VarType::Date:
            return formatGeneralDate(value.date());
        default:
            typeMismatch();
    }
}

bool IsDate(const Variant& value) {
    switch (value.type()) {
        case VarType::Date:
            return true;
        case VarType::Text:
            return parseDate(value.text()).has_value();
        default:
            return false;
    }
}

Date CDate(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
            return Date{};
        case VarType::Null:
            invalidUseOfNull();
        case VarType::Date:
            return value.date();
        case VarType::Number:
            return Date{value.number()};
        case VarType::Text:
            if (auto date = parseDate(value.text())) {
                return *date;
            }
            typeMismatch();
        default:
            typeMismatch();
    }
}

std::string formatGeneralDate(Date date) {
    const Locale& locale = currentLocale();
    const DateParts parts = splitDate(date);
    const bool noDate = std::trunc(date.serial) == 0;
    const bool noTime = parts.hour == 0 && parts.minute == 0 && parts.second == 0;
    if (noDate) {
        return formatDate(date, locale.longTimePattern);
    }
    if (noTime) {
        return formatDate(date, locale.shortDatePattern);
    }
    return formatDate(date, locale.shortDatePattern) + " " +
           formatDate(date, locale.longTimePattern);
}

}  // namespace kavex::base
