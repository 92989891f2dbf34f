#include "platform/base/Format.h"

#include "platform/base/Conversions.h"
#include "platform/base/FormatPattern.h"

namespace kavex::base {

namespace {

std::string applyTextPattern(std::string_view pattern, const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '@') {
            out += text;
        } else if (c == '\\' && i + 1 < pattern.size()) {
            out += pattern[++i];
        } else if (c == '"') {
            const auto close = pattern.find('"', i + 1);
            const auto end = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = end;
        } else {
            out += c;
        }
    }
    return out;
}

// The value as the text pattern's "@" shows it: its plain text.
std::string plainText(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
        case VarType::Null:
        case VarType::Missing:
            return "";
        case VarType::Error:
            return std::string(cellErrorText(value.error()));
        default:
            return CStr(value);
    }
}

}  // namespace

std::string Format(const Variant& value, std::string_view patternText) {
    // Nothing and error values show their plain text whatever the pattern.
    switch (value.type()) {
        case VarType::Empty:
        case VarType::Null:
        case VarType::Missing:
        case VarType::Error:
            return plainText(value);
        default:
            break;
    }
    const ResolvedPattern resolved = resolvePattern(patternText);
    if (resolved.kind == ResolvedPattern::Pattern && resolved.pattern.empty()) {
        return plainText(value);
    }
    if (resolved.kind == ResolvedPattern::Pattern && isTextPattern(resolved.pattern)) {
        return applyTextPattern(resolved.pattern, plainText(value));
    }
    const bool datePattern =
        resolved.kind == ResolvedPattern::GeneralDate ||
        (resolved.kind == ResolvedPattern::Pattern && isDatePattern(resolved.pattern));
    const std::string& pattern = resolved.pattern;

    switch (value.type()) {
        case VarType::Boolean:
            if (resolved.kind == ResolvedPattern::GeneralNumber) {
                return CStr(value);
            }
            return formatNumber(CDbl(value), patternText);
        case VarType::Number:
            return datePattern ? formatDate(Date{value.number()}, patternText)
                               : formatNumber(value.number(), patternText);
        case VarType::Date:
            return datePattern || resolved.kind == ResolvedPattern::GeneralNumber
                       ? formatDate(value.date(), patternText)
                       : formatNumber(value.date().serial, pattern);
        case VarType::Text: {
            const std::string& text = value.text();
            if (datePattern) {
                if (auto date = parseDate(text)) {
                    return formatDate(*date, patternText);
                }
                if (auto number = parseNumber(text)) {
                    return formatDate(Date{*number}, patternText);
                }
                return text;
            }
            if (auto number = parseNumber(text)) {
                return formatNumber(*number, patternText);
            }
            if (auto date = parseDate(text)) {
                return formatNumber(date->serial, patternText);
            }
            return text;
        }
        default:
            return "";
    }
}

}  // namespace kavex::base
