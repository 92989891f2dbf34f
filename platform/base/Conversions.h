#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Date.h"
#include "platform/base/Locale.h"
#include "platform/base/Variant.h"

namespace kavex::base {

// The runtime's conversions, read on currentLocale().
//
// Text reads as a number when, blanks around it aside, it is an optional sign and an optional
// currency symbol (in either order), digits (grouped by three with the grouping separator or not
// grouped at all), an optional decimal part and an optional exponent, and optionally ends in "%",
// which divides by 100 ("50.0%" reads as 0.5), so that every text Format produces for a number
// pattern reads back as the value shown. "", blanks only, "#NODATA!", "nan", "-nan", "inf",
// parentheses, a trailing sign and a number too large for a double are not numbers.
std::optional<double> parseNumber(std::string_view text);
// The number the spreadsheet keeps of a text entered as one: parseNumber's reading, its
// significant digits rounded to the 15 a cell keeps (halves away from zero) before it becomes a
// double, so that the value is the one the digits shown stand for ("12345678901234567" is
// 12345678901234600, "1.0000000000000002" is 1). nullopt where parseNumber gives nullopt, and
// where the rounding carries the number past the largest double ("1.7976931348623157E+308").
// The runtime's own conversions (CDbl, IsNumeric) keep every digit.
std::optional<double> parseEnteredNumber(std::string_view text);
// The same on the given locale's separators and currency symbol.
std::optional<double> parseEnteredNumber(std::string_view text, const Locale& locale);

// Numbers, Booleans and Empty are numeric; text when parseNumber reads it; dates, Null, errors
// and Missing are not.
bool IsNumeric(const Variant& value);
// Throws PlatformError 13 when the value does not convert, 94 for Null.
double CDbl(const Variant& value);
// Round half to even as the runtime does (2.5 -> 2, 3.5 -> 4); throw 13 when the value does not
// convert, 94 for Null and 6 (overflow) outside the 32-bit (CLng) or 16-bit (CInt) range.
long CLng(const Variant& value);
int CInt(const Variant& value);
// Numbers are True when not zero; text "True"/"False" in any case or a numeric text. Throws 13.
bool CBool(const Variant& value);
// Numbers with up to 15 significant digits, no grouping, the locale's decimal separator, and the
// exponent form beyond that ("1234.5", "0.1", "1E+20", "1E-05"); dates in the general date form;
// "True"/"False"; "" for Empty. Throws 94 for Null and 13 for an error value, as the runtime does
// when code reads a cell holding #N/A into a string.
std::string CStr(const Variant& value);
// The number part of CStr.
std::string numberToText(double value);

// Dates: M/d/yyyy (the locale's order), yyyy/M/d, yyyy-M-d, M-d-yyyy, "March 15, 2007",
// "Mar 15 2007", "15 March 2007", "15-Mar-2007", each with an optional time
// h:mm[:ss] [AM|PM]; or a time alone (a serial below 1). Two-digit years: 00-29 are 2000-2029,
// 30-99 are 1930-1999. A day or month out of range is refused, never swapped.
std::optional<Date> parseDate(std::string_view text);
// A text as the spreadsheet's cells read a date or a time, typed in or taking part in
// arithmetic: what parseDate reads, and besides
// - a time alone of 24 hours or more, without AM or PM ("25:00" is 25/24, a day and an hour);
// - a day and month without a year, in the year currentYear gives (asked only for such a text):
//   "1/15" (the locale's order), "1-15", "Jan 20", "20 Jan", "20-Jan", each with an optional
//   time.
// The runtime's IsDate and CDate read neither.
std::optional<Date> parseCellDate(std::string_view text, int (*currentYear)());
// Dates are dates; text when parseDate reads it; numbers are not.
bool IsDate(const Variant& value);
// Dates, numbers (as serials), Empty (the zero date) and date text; throws 13 otherwise, 94 for
// Null.
Date CDate(const Variant& value);

// The general date form: "3/15/2007", "3/15/2007 2:05:00 PM", or "2:05:00 PM" for a time alone
// (a serial below 1, the zero date included: "12:00:00 AM").
std::string formatGeneralDate(Date date);

}  // namespace kavex::base
