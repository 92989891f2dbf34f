// How typed text becomes a cell's content, and how a value is shown under a number format.

#include <cctype>
#include <cmath>

#include "platform/base/Conversions.h"
#include "platform/base/Format.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/detail/Model.h"
#include "platform/spreadsheet/formula/Values.h"

namespace kavex::sheet::detail {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::string decimalsPattern(std::string_view text) {
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) {
        return "";
    }
    std::size_t digits = 0;
    for (std::size_t i = dot + 1;
         i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        ++digits;
    }
    return digits == 0 ? "" : "." + std::string(digits, '0');
}

bool looksLikeDate(std::string_view text) {
    for (char c : text) {
        if (c == '/' || c == '-' || c == ':' || std::isalpha(static_cast<unsigned char>(c))) {
            return true;
        }
    }
    return false;
}

// The amount inside brackets, "(5)" or "( $1,000 )", which the spreadsheet takes as negative;
// "" when the text is not bracketed or the amount carries a sign of its own.
std::string_view bracketed(std::string_view text) {
    if (text.size() < 3 || text.front() != '(' || text.back() != ')') {
        return {};
    }
    const std::string_view inner = trimmed(text.substr(1, text.size() - 2));
    if (inner.empty() || inner.front() == '-' || inner.front() == '+') {
        return {};
    }
    return inner;
}

// A typed number: digits kept to the 15 significant ones a cell holds, "5%" a hundredth, a
// currency sign or grouping giving the cell the matching format; negated when it was bracketed.
bool readNumber(std::string_view text, Entry& entry, bool negate = false) {
    if (text.empty()) {
        return false;
    }
    const bool percent = text.back() == '%';
    const std::string_view body = percent ? trimmed(text.substr(0, text.size() - 1)) : text;
    const auto number = base::parseEnteredNumber(body);
    if (!number || body.empty() || body.back() == '%') {
        return false;
    }
    double value = negate ? -*number : *number;
    const std::string decimals = decimalsPattern(body);
    if (percent) {
        value /= 100.0;
        entry.impliedFormat = "0" + decimals + "%";
    } else if (body.find('$') != std::string_view::npos) {
        entry.impliedFormat = "$#,##0" + decimals;
    } else if (body.find(',') != std::string_view::npos) {
        entry.impliedFormat = "#,##0" + decimals;
    }
    entry.value = Variant(value);
    return true;
}

// A time with no date before it ("25:00", "9:30 PM").
bool isTimeAlone(std::string_view text) {
    const auto colon = text.find(':');
    return colon != std::string_view::npos && text.find_first_not_of("0123456789 \t") >= colon;
}

}  // namespace

Entry readEntry(std::string_view text) {
    Entry entry;
    if (text.empty()) {
        return entry;
    }
    if (text.front() == '\'') {
        entry.value = Variant(std::string(text.substr(1)));
        return entry;
    }
    if (text.front() == '=' && text.size() > 1) {
        entry.isFormula = true;
        entry.formulaText = std::string(text.substr(1));
        return entry;
    }
    const std::string_view t = trimmed(text);
    if (base::equalsIgnoringCase(t, "TRUE") || base::equalsIgnoringCase(t, "FALSE")) {
        entry.value = Variant(base::equalsIgnoringCase(t, "TRUE"));
        return entry;
    }
    if (!t.empty()) {
        if (readNumber(t, entry) || readNumber(bracketed(t), entry, true)) {
            return entry;
        }
        if (looksLikeDate(t)) {
            if (auto date = formula::dateFromText(t)) {
                const bool hasTime = t.find(':') != std::string_view::npos;
                // A time of 24 hours or more is still a time, though its serial passes a day.
                const bool hasDate = date->serial >= 1.0 && !isTimeAlone(t);
                // A day and month typed without a year show without it ("15-Jan").
                const bool withoutYear = hasDate && !hasTime && !base::parseDate(t);
                entry.value = Variant(*date);
                entry.impliedFormat = withoutYear ? "d-mmm"
                                      : hasDate   ? (hasTime ? "m/d/yyyy h:mm" : "m/d/yyyy")
                                                  : "h:mm:ss AM/PM";
                return entry;
            }
        }
    }
    entry.value = Variant(std::string(text));
    return entry;
}

namespace {

std::vector<std::string> sections(const std::string& format) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : format) {
        if (c == '"') {
            quoted = !quoted;
        }
        if (c == ';' && !quoted) {
            parts.emplace_back();
            continue;
        }
        parts.back() += c;
    }
    for (auto& part : parts) {
        // Colour and condition markers do not change the text.
        std::string clean;
        bool inBracket = false;
        for (char c : part) {
            if (c == '[') {
                inBracket = true;
            } else if (c == ']') {
                inBracket = false;
            } else if (!inBracket) {
                clean += c;
            }
        }
        part = clean;
    }
    return parts;
}

}  // namespace

std::string displayText(const Variant& value, const std::string& numberFormat) {
    switch (value.type()) {
        case base::VarType::Empty:
        case base::VarType::Null:
        case base::VarType::Missing:
            return "";
        case base::VarType::Text:
            return value.text();
        case base::VarType::Boolean:
            return value.boolean() ? "TRUE" : "FALSE";
        case base::VarType::Error:
            return std::string(base::cellErrorText(value.error()));
        default:
            break;
    }
    if (base::equalsIgnoringCase(numberFormat, "General") || numberFormat.empty() ||
        numberFormat == "@") {
        return base::CStr(value);
    }
    const auto parts = sections(numberFormat);
    if (value.isNumber() && parts.size() > 1) {
        const double number = value.number();
        if (number < 0) {
            return base::Format(Variant(std::fabs(number)), parts[1]);
        }
        if (number == 0 && parts.size() > 2) {
            return base::Format(value, parts[2]);
        }
    }
    return base::Format(value, parts[0]);
}

}  // namespace kavex::sheet::detail
