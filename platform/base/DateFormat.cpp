#include <cmath>
#include <string>
#include <vector>

#include "platform/base/Conversions.h"
#include "platform/base/Format.h"
#include "platform/base/FormatPattern.h"
#include "platform/base/Locale.h"
#include "platform/base/Text.h"

namespace kavex::base {

namespace {

// The runtime's dates run from 1 January 100 to 31 December 9999.
constexpr double FirstSerial = -657434.0;
constexpr double LastSerial = 2958465.99999;

struct DateToken {
    // 'd' 'm' 'y' 'h' 'n' 's' a field of that letter repeated `count` times; 'a' AM/PM;
    // 0 literal text.
    char field = 0;
    int count = 0;
    std::string
        text;  // literal text, or the AM/PM form as written ("AM/PM", "am/pm", "A/P", "AMPM")
};

std::vector<DateToken> tokenize(std::string_view pattern) {
    const Locale& locale = currentLocale();
    std::vector<DateToken> tokens;
    const auto literal = [&](std::string text) {
        if (!tokens.empty() && tokens.back().field == 0) {
            tokens.back().text += text;
        } else {
            tokens.push_back({0, 0, std::move(text)});
        }
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char lower = toLowerAscii(c);
        if (c == '"') {
            const auto close = pattern.find('"', i + 1);
            const auto end = close == std::string_view::npos ? pattern.size() : close;
            literal(std::string(pattern.substr(i + 1, end - i - 1)));
            i = end;
        } else if (c == '\\') {
            if (i + 1 < pattern.size()) {
                literal(std::string(1, pattern[++i]));
            }
        } else if (c == '[') {
            const auto close = pattern.find(']', i + 1);
            i = close == std::string_view::npos ? pattern.size() : close;
        } else if (lower == 'a' && equalsIgnoringCase(pattern.substr(i, 5), "AM/PM")) {
            tokens.push_back({'a', 0, std::string(pattern.substr(i, 5))});
            i += 4;
        } else if (lower == 'a' && equalsIgnoringCase(pattern.substr(i, 4), "AMPM")) {
            tokens.push_back({'a', 0, "AMPM"});
            i += 3;
        } else if (lower == 'a' && equalsIgnoringCase(pattern.substr(i, 3), "A/P")) {
            tokens.push_back({'a', 0, std::string(pattern.substr(i, 3))});
            i += 2;
        } else if (lower == 'd' || lower == 'm' || lower == 'y' || lower == 'h' || lower == 'n' ||
                   lower == 's') {
            std::size_t end = i;
            while (end < pattern.size() && toLowerAscii(pattern[end]) == lower) {
                ++end;
            }
            tokens.push_back({lower, static_cast<int>(end - i), {}});
            i = end - 1;
        } else if (c == '/') {
            literal(std::string(1, locale.dateSeparator));
        } else if (c == ':') {
            literal(std::string(1, locale.timeSeparator));
        } else {
            literal(std::string(1, c));
        }
    }
    // "m" right after an hour or right before seconds means minutes.
    int previousField = -1;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        DateToken& token = tokens[i];
        if (token.field == 0) {
            continue;
        }
        if (token.field == 'm' && token.count <= 2) {
            bool beforeSeconds = false;
            for (std::size_t j = i + 1; j < tokens.size(); ++j) {
                if (tokens[j].field != 0) {
                    beforeSeconds = tokens[j].field == 's';
                    break;
                }
            }
            if (previousField == 'h' || beforeSeconds) {
                token.field = 'n';
            }
        }
        previousField = token.field;
    }
    return tokens;
}

std::string twoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string number(int value, int count) {
    return count >= 2 ? twoDigits(value) : std::to_string(value);
}

int dayOfYear(const DateParts& parts) {
    const auto first = makeDate(parts.year, 1, 1);
    const auto day = makeDate(parts.year, parts.month, parts.day);
    return first && day ? static_cast<int>(day->serial - first->serial) + 1 : 1;
}

std::string amPm(const std::string& form, bool pm) {
    const Locale& locale = currentLocale();
    if (form == "AMPM") {
        return pm ? locale.pmDesignator : locale.amDesignator;
    }
    if (form.size() == 3) {  // A/P or a/p, the case as written
        return std::string(1, pm ? form[2] : form[0]);
    }
    return pm ? form.substr(3, 2) : form.substr(0, 2);
}

}  // namespace

std::string formatDate(Date date, std::string_view patternText) {
    const ResolvedPattern resolved = resolvePattern(patternText);
    if (resolved.kind == ResolvedPattern::GeneralDate || resolved.pattern.empty()) {
        return formatGeneralDate(date);
    }
    if (resolved.kind == ResolvedPattern::GeneralNumber) {
        return numberToText(date.serial);
    }
    if (!(date.serial >= FirstSerial && date.serial <= LastSerial)) {
        // No calendar date: the number as it stands.
        return numberToText(date.serial);
    }
    const Locale& locale = currentLocale();
    const DateParts parts = splitDate(date);
    const std::vector<DateToken> tokens = tokenize(resolved.pattern);
    bool twelveHour = false;
    for (const DateToken& token : tokens) {
        twelveHour = twelveHour || token.field == 'a';
    }

    std::string out;
    for (const DateToken& token : tokens) {
        switch (token.field) {
            case 0:
                out += token.text;
                break;
            case 'd':
                if (token.count <= 2) {
                    out += number(parts.day, token.count);
                } else if (token.count == 3) {
                    out += locale.abbreviatedDayNames[static_cast<std::size_t>(weekday(date) - 1)];
                } else if (token.count == 4) {
                    out += locale.dayNames[static_cast<std::size_t>(weekday(date) - 1)];
                } else if (token.count == 5) {
                    out += formatDate(date, locale.shortDatePattern);
                } else {
                    out += formatDate(date, locale.longDatePattern);
                }
                break;
            case 'm':
                if (token.count <= 2) {
                    out += number(parts.month, token.count);
                } else if (token.count == 3) {
                    out += locale.abbreviatedMonthNames[static_cast<std::size_t>(parts.month - 1)];
                } else {
                    out += locale.monthNames[static_cast<std::size_t>(parts.month - 1)];
                }
                break;
            case 'y':
                if (token.count == 1) {
                    out += std::to_string(dayOfYear(parts));
                } else if (token.count == 2) {
                    out += twoDigits(parts.year % 100);
                } else {
                    out += std::to_string(parts.year);
                }
                break;
            case 'h': {
                int hour = parts.hour;
                if (twelveHour) {
                    hour = hour % 12 == 0 ? 12 : hour % 12;
                }
                out += number(hour, token.count);
                break;
            }
            case 'n':
                out += number(parts.minute, token.count);
                break;
            case 's':
                out += number(parts.second, token.count);
                break;
            case 'a':
                out += amPm(token.text, parts.hour >= 12);
                break;
            default:
                break;
        }
    }
    return out;
}

}  // namespace kavex::base
