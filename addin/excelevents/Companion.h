#pragma once

#include "platform/base/Text.h"
#include "platform/spreadsheet/Workbook.h"

namespace kavex::addin::excelevents {

// The companion add-in workbook, by its lower-cased name.
inline constexpr const char* kCompanionName = "kavex.xla";

// True for the companion, whatever the letter case of its name.
inline bool IsCompanionWorkbook(const sheet::Workbook& workbook) {
    return base::toLowerAscii(workbook.name()) == kCompanionName;
}

}  // namespace kavex::addin::excelevents
