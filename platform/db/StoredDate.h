#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Date.h"

namespace kavex::db {

// Dates live in the database as text "YYYY-MM-DD HH:MM:SS" (local time), which sorts and compares
// as the dates do. These helpers read that form and the US form the add-in writes in Jet date
// literals ("3/15/2007", "3/15/2007 10:30:00 AM"), and write the stored form.

// Dates are taken apart and put together as the runtime does it (base::DateParts).
using DateTimeParts = base::DateParts;

// ISO ("2007-03-15", "2007-03-15 10:30[:00]", a "T" in place of the blank), US ("3/15/2007",
// "3/15/07 10:30:00 PM") or a time alone ("10:30 AM", on the zero date). Blanks around are allowed;
// anything else, an impossible date or time, or a year outside the runtime's range (100 to 9999)
// gives nullopt.
std::optional<DateTimeParts> parseDateText(std::string_view text);

std::string formatStoredDate(const DateTimeParts& parts);
std::string formatStoredDate(base::Date date);

// Parts outside the runtime's range give the zero date.
base::Date toSerial(const DateTimeParts& parts);
// The parts of a serial date, rounded to the second.
DateTimeParts fromSerial(base::Date date);

}  // namespace kavex::db
