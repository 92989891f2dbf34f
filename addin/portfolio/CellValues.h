#pragma once

#include <optional>
#include <string>

#include "platform/base/Date.h"
#include "platform/base/Variant.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::addin::portfolio {

// How the portfolio reads what a cell holds, whether the add-in wrote it or a user typed it.
bool IsBlank(const base::Variant& value);
std::optional<double> NumberOf(const base::Variant& value);
std::optional<base::Date> DateOf(const base::Variant& value);
std::string TextOf(const base::Variant& value);

// Writes free text as text: a remark such as "=x" or "1/2" stays the words typed.
void SetText(sheet::Range cell, const std::string& text);
// Writes a number shown through the pattern.
void SetNumber(sheet::Range cell, double value, const std::string& pattern);
// Writes a date shown as the short date.
void SetDate(sheet::Range cell, base::Date date);

// The patterns of the portfolio's cells.
// Shares show their decimals only when they have some, as many as they have.
std::string SharesFormat(double shares);
inline constexpr const char* kIdFormat = "0";
inline constexpr const char* kDateFormat = "m/d/yyyy";
inline constexpr const char* kPercentFormat = "0.00%";

}  // namespace kavex::addin::portfolio
