#include "platform/spreadsheet/formula/Values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/formula/Text.h"

namespace kavex::formula {

using base::CellError;
using base::Variant;
using base::VarType;

std::string generalNumber(double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        return "0";
    }
    // 15 significant digits as d.dddddddddddddde+XX, then laid out.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits;
    digits += buffer[0];
    digits.append(buffer + 2, buffer + 16);
    const int exponent = std::atoi(buffer + 17);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -9) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
        return out;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        out += digits;
        out.append(integerDigits - digits.size(), '0');
    } else {
        out.append(digits, 0, integerDigits);
        out += '.';
        out.append(digits, integerDigits);
    }
    return out;
}

namespace {

int clockYear() {
    return base::splitDate(os::Now()).year;
}

}  // namespace

std::optional<base::Date> dateFromText(std::string_view text) {
    return base::parseCellDate(text, &clockYear);
}

std::optional<double> numberFromText(std::string_view text) {
    if (auto number = base::parseNumber(text)) {
        return number;
    }
    if (auto date = dateFromText(text)) {
        return date->serial;
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() < 3 || text.front() != '(' || text.back() != ')') {
        return std::nullopt;
    }
    std::string_view inner = text.substr(1, text.size() - 2);
    while (!inner.empty() && blank(inner.front())) {
        inner.remove_prefix(1);
    }
    if (inner.empty() || inner.front() == '-' || inner.front() == '+') {
        return std::nullopt;
    }
    if (auto number = base::parseNumber(inner)) {
        return -*number;
    }
    return std::nullopt;
}

NumberResult toNumber(const Variant& value) {
    switch (value.type()) {
        case VarType::Number:
            return {value.number(), std::nullopt};
        case VarType::Date:
            return {value.date().serial, std::nullopt};
        case VarType::Boolean:
            return {value.boolean() ? 1.0 : 0.0, std::nullopt};
        case VarType::Error:
            return {0.0, value.error()};
        case VarType::Text:
            if (auto number = numberFromText(value.text())) {
                return {*number, std::nullopt};
            }
            return {0.0, CellError::Value};
        case VarType::Empty:
        case VarType::Null:
        case VarType::Missing:
            break;
    }
    return {0.0, std::nullopt};
}

std::string toText(const Variant& value) {
    switch (value.type()) {
        case VarType::Number:
            return generalNumber(value.number());
        case VarType::Date:
            return generalNumber(value.date().serial);
        case VarType::Boolean:
            return value.boolean() ? "TRUE" : "FALSE";
        case VarType::Text:
            return value.text();
        case VarType::Error:
            return std::string(base::cellErrorText(value.error()));
        case VarType::Empty:
        case VarType::Null:
        case VarType::Missing:
            break;
    }
    return {};
}

BooleanResult toBoolean(const Variant& value) {
    switch (value.type()) {
        case VarType::Boolean:
            return {value.boolean(), std::nullopt};
        case VarType::Number:
            return {value.number() != 0.0, std::nullopt};
        case VarType::Date:
            return {value.date().serial != 0.0, std::nullopt};
        case VarType::Error:
            return {false, value.error()};
        case VarType::Text:
            if (base::equalsIgnoringCase(value.text(), "TRUE")) {
                return {true, std::nullopt};
            }
            if (base::equalsIgnoringCase(value.text(), "FALSE")) {
                return {false, std::nullopt};
            }
            return {false, CellError::Value};
        case VarType::Empty:
        case VarType::Null:
        case VarType::Missing:
            break;
    }
    return {false, std::nullopt};
}

namespace {

bool isBlankKind(const Variant& v) {
    return v.isEmpty() || v.isNull() || v.isMissing();
}

// Number 0, text 1, logical 2.
int rank(const Variant& v) {
    if (v.isText()) {
        return 1;
    }
    if (v.isBool()) {
        return 2;
    }
    return 0;
}

// An empty value takes the kind of what it is compared with.
Variant blankLike(const Variant& other) {
    if (other.isText()) {
        return Variant(std::string());
    }
    if (other.isBool()) {
        return Variant(false);
    }
    return Variant(0.0);
}

int compareSame(const Variant& a, const Variant& b) {
    if (a.isText()) {
        return compareTexts(a.text(), b.text());
    }
    if (a.isBool()) {
        return static_cast<int>(a.boolean()) - static_cast<int>(b.boolean());
    }
    const double x = toNumber(a).value;
    const double y = toNumber(b).value;
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

int compareValues(const Variant& a, const Variant& b) {
    if (isBlankKind(a) && isBlankKind(b)) {
        return 0;
    }
    if (isBlankKind(a)) {
        return compareSame(blankLike(b), b);
    }
    if (isBlankKind(b)) {
        return compareSame(a, blankLike(a));
    }
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb) {
        return ra < rb ? -1 : 1;
    }
    return compareSame(a, b);
}

double roundHalfAway(double value, int digits) {
    if (!std::isfinite(value)) {
        return value;
    }
    if (digits < -308) {
        // A power of ten past 1E+308 is more than twice the largest number: every number rounds
        // to 0 at it.
        return 0.0;
    }
    digits = std::min(digits, 308);
    const double scale = std::pow(10.0, std::abs(digits));
    double scaled = digits >= 0 ? value * scale : value / scale;
    if (!std::isfinite(scaled)) {
        return value;  // so many decimals that nothing is cut off
    }
    // Snap to the 15 significant digits the value shows, so that 2.675 (held as 2.67499999...)
    // rounds as its decimal form says.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", scaled);
    scaled = std::strtod(buffer, nullptr);
    const double rounded = std::round(scaled);
    return digits >= 0 ? rounded / scale : rounded * scale;
}

}  // namespace kavex::formula
