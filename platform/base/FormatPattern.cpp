#include "platform/base/FormatPattern.h"

#include <array>

#include "platform/base/Locale.h"
#include "platform/base/Text.h"

namespace kavex::base {

namespace {

struct NamedForm {
    std::string_view name;
    ResolvedPattern::Kind kind;
    std::string_view pattern;  // empty: taken from the locale
};

constexpr std::array<NamedForm, 13> NamedForms{{
    {"General Number", ResolvedPattern::GeneralNumber, ""},
    {"General", ResolvedPattern::GeneralNumber, ""},
    {"Currency", ResolvedPattern::Pattern, "$#,##0.00;($#,##0.00)"},
    {"Fixed", ResolvedPattern::Pattern, "0.00"},
    {"Standard", ResolvedPattern::Pattern, "#,##0.00"},
    {"Percent", ResolvedPattern::Pattern, "0.00%"},
    {"General Date", ResolvedPattern::GeneralDate, ""},
    {"Short Date", ResolvedPattern::Pattern, ""},
    {"Long Date", ResolvedPattern::Pattern, ""},
    {"Medium Date", ResolvedPattern::Pattern, "dd-mmm-yy"},
    {"Long Time", ResolvedPattern::Pattern, ""},
    {"Medium Time", ResolvedPattern::Pattern, "hh:mm AMPM"},
    {"Short Time", ResolvedPattern::Pattern, "hh:mm"},
}};

// Calls visit(index, character) for every character that is not quoted, escaped or bracketed.
template <typename Visit>
void forEachActiveCharacter(std::string_view pattern, Visit visit) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"') {
            const auto close = pattern.find('"', i + 1);
            i = close == std::string_view::npos ? pattern.size() : close;
        } else if (c == '\\') {
            ++i;
        } else if (c == '[') {
            const auto close = pattern.find(']', i + 1);
            i = close == std::string_view::npos ? pattern.size() : close;
        } else {
            visit(i, c);
        }
    }
}

}  // namespace

ResolvedPattern resolvePattern(std::string_view pattern) {
    for (const NamedForm& form : NamedForms) {
        if (!equalsIgnoringCase(pattern, form.name)) {
            continue;
        }
        ResolvedPattern resolved{form.kind, std::string(form.pattern)};
        const Locale& locale = currentLocale();
        if (form.name == "Short Date") {
            resolved.pattern = locale.shortDatePattern;
        } else if (form.name == "Long Date") {
            resolved.pattern = locale.longDatePattern;
        } else if (form.name == "Long Time") {
            resolved.pattern = locale.longTimePattern;
        }
        return resolved;
    }
    return {ResolvedPattern::Pattern, std::string(pattern)};
}

std::vector<std::string_view> splitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    forEachActiveCharacter(pattern, [&](std::size_t i, char c) {
        if (c == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    });
    sections.push_back(pattern.substr(start));
    return sections;
}

bool isDatePattern(std::string_view pattern) {
    bool dateToken = false;
    bool digitPlaceholder = false;
    forEachActiveCharacter(pattern, [&](std::size_t i, char c) {
        switch (toLowerAscii(c)) {
            case 'd':
            case 'm':
            case 'y':
            case 'h':
            case 'n':
            case 's':
                dateToken = true;
                break;
            case 'a':
                if (equalsIgnoringCase(pattern.substr(i, 5), "AM/PM") ||
                    equalsIgnoringCase(pattern.substr(i, 3), "A/P") ||
                    equalsIgnoringCase(pattern.substr(i, 4), "AMPM")) {
                    dateToken = true;
                }
                break;
            case '0':
            case '#':
                digitPlaceholder = true;
                break;
            default:
                break;
        }
    });
    return dateToken && !digitPlaceholder;
}

bool isTextPattern(std::string_view pattern) {
    bool text = false;
    forEachActiveCharacter(pattern, [&](std::size_t, char c) { text = text || c == '@'; });
    return text;
}

}  // namespace kavex::base
