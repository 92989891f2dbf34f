#include "addin/refresh/SheetProtection.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/ExcelHost.h"

namespace kavex::addin::refresh {

namespace {

constexpr std::array<std::string_view, 5> kProtectedKinds{core::kVolLeaders, core::kPriceGainers,
                                                          core::kPriceLosers, core::kDetails,
                                                          core::kExchangeStats};

void switchProtection(const sheet::Worksheet& given, bool protect) {
    core::StepTrap trap;
    // 1. Only inside the add-in's own workbooks (the active one decides).
    bool addinWorkbook = false;
    trap([&] { addinWorkbook = core::IsKavexWorkbook(Excel().activeWorkbook(), false); });
    if (!addinWorkbook) {
        return;
    }
    // 2.
    sheet::Worksheet target = given;
    trap([&] {
        if (target.isNothing()) {
            target = Excel().activeSheet();
        }
    });
    std::string kind;
    trap([&] { kind = core::GetTheSheetType(target); });
    // 3.
    if (std::find(kProtectedKinds.begin(), kProtectedKinds.end(), kind) == kProtectedKinds.end()) {
        return;
    }
    trap([&] {
        if (protect) {
            target.protect(kProtectionPassword);
        } else {
            target.unprotect(kProtectionPassword);
        }
    });
}

}  // namespace

void ProtectWorksheet(const sheet::Worksheet& sheet) {
    switchProtection(sheet, true);
}

void UnprotectWorksheet(const sheet::Worksheet& sheet) {
    switchProtection(sheet, false);
}

}  // namespace kavex::addin::refresh
