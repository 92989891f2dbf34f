#pragma once

#include <string>
#include <string_view>

#include "platform/base/Date.h"
#include "platform/base/Variant.h"

namespace kavex::base {

// The runtime's Format.
//
// Number patterns: "0" a digit always shown, "#" a digit shown only when significant, "?" a digit
// or a blank; "," between integer places groups by three; "." the decimal separator, the number
// rounded to the places after it, halves away from zero on the decimal digits shown (2.675 with
// "0.00" is "2.68"); "%" multiplies by 100; "$" and other characters, "\x" and "quoted text" are
// literal; "[...]" (the host's colour codes) shows nothing. A negative number gets a minus sign
// before the whole text ("-$5.00") unless a second section (positive;negative;zero) says how it
// looks; a value that rounds to zero shows no minus sign.
//
// Date patterns: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss, AM/PM am/pm A/P AMPM (which
// switch h to the 12-hour clock), "/" and ":" the locale's separators; m or mm right after an
// hour or right before seconds means minutes. Letters are read without regard to case.
//
// Named forms: "General Number"/"General", "Currency", "Fixed", "Standard", "Percent",
// "General Date", "Short Date", "Long Date", "Medium Date", "Long Time", "Medium Time",
// "Short Time". "@" stands for the value's text.
//
// Format picks by value: numbers and numeric text with number patterns, dates, date text and
// numbers with date patterns; an empty pattern gives CStr's text. Text that does not convert is
// returned unchanged; Empty and Null give ""; an error value gives its cell text ("#N/A").
std::string Format(const Variant& value, std::string_view pattern = {});
std::string formatNumber(double value, std::string_view pattern);
std::string formatDate(Date date, std::string_view pattern);

}  // namespace kavex::base
