#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Date.h"
#include "platform/base/Variant.h"

namespace kavex::base {

// The runtime's conversions, read on currentLocale().
//
// Text reads as a number when, blanks around it aside, it is an optional sign, an optional
// currency symbol (before or after the sign), digits with optional grouping separators, an
// optional decimal part and an optional exponent, optionally ending in "%". "", blanks only,
// "#NODATA!" and "-nan" are not numbers. Everything Format produces for number patterns reads back.
std::optional<double> parseNumber(std::string_view text);

bool IsNumeric(const Variant& value);
// Throws PlatformError 13 when the value does not convert.
double CDbl(const Variant& value);
// Rounds half to even as the runtime does; throws 13 or 6 (overflow).
long CLng(const Variant& value);
int CInt(const Variant& value);
bool CBool(const Variant& value);
// Numbers in the shortest form that reads back (no grouping), dates in the general date form,
// True/False, "" for Empty; throws 94 for Null... the runtime's "Invalid use of Null".
std::string CStr(const Variant& value);

// Dates: M/d/yyyy, yyyy/M/d, yyyy-MM-dd, "March 15, 2007", with an optional time h:mm[:ss] [AM|PM].
std::optional<Date> parseDate(std::string_view text);
bool IsDate(const Variant& value);
Date CDate(const Variant& value);

// The general date form: "3/15/2007", "3/15/2007 2:05:00 PM", or "2:05:00 PM" for a time alone.
std::string formatGeneralDate(Date date);

}  // namespace kavex::base
