#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavex::base {

// What Format needs to know about a pattern before it applies one.

// A named form resolved: the general forms have no pattern of their own.
struct ResolvedPattern {
    enum Kind { Pattern, GeneralNumber, GeneralDate } kind = Pattern;
    std::string pattern;
};

// "Short Date", "Standard", "Percent", ... (without regard to case) to their patterns; any other
// text is a pattern as it stands.
ResolvedPattern resolvePattern(std::string_view pattern);

// The sections of a number pattern (positive;negative;zero), ";" inside quotes or escaped not
// splitting.
std::vector<std::string_view> splitSections(std::string_view pattern);

// True when the pattern holds date or time tokens and no digit placeholders.
bool isDatePattern(std::string_view pattern);

// True when the pattern holds "@" outside quotes: the value's text in place of each "@".
bool isTextPattern(std::string_view pattern);

}  // namespace kavex::base
