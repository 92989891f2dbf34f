#include "addin/core/Workbooks.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"

namespace kavex::addin::core {

namespace {

// The workbook names that carry a sheet's kind, in the order they are tried.
constexpr std::array<std::string_view, 11> kKindNames{
    "WSName_Watchlist",         "WSName_WatchlistTemplate", "WSName_Portfolio",
    "WSName_PortfolioTemplate", "WSName_PortfolioHistory",  "WSName_PortfolioHistoryTemplate",
    "WSName_VolLeaders",        "WSName_PriceGainers",      "WSName_PriceLosers",
    "WSName_Details",           "WS_ExchangeStats"};

struct KindSymbolRange {
    std::string_view kind;
    std::string_view range;
};
constexpr std::array<KindSymbolRange, 6> kSymbolRanges{{
    {kVolLeaders, "VolLeadersSymbol"},
    {kPriceGainers, "PriceGainersSymbol"},
    {kPriceLosers, "PriceLosersSymbol"},
    {kWatchList, "WatchListSymbol"},
    {kPortfolio, "PortfolioSymbol"},
    {kPortfolioHistory, "PortfolioHistorySymbol"},
}};

// The text a name's constant stands for: ="Watch List" gives Watch List. A name that refers to a
// range gives that range's value as text.
std::string nameValue(const sheet::Name& name) {
    const std::string refersTo = name.refersTo();
    std::string_view body(refersTo);
    if (!body.empty() && body.front() == '=') {
        body.remove_prefix(1);
    }
    if (body.size() >= 2 && body.front() == '"' && body.back() == '"') {
        std::string text;
        body = body.substr(1, body.size() - 2);
        for (std::size_t i = 0; i < body.size(); ++i) {
            text += body[i];
            if (body[i] == '"' && i + 1 < body.size() && body[i + 1] == '"') {
                ++i;
            }
        }
        return text;
    }
    return base::CStr(name.refersToRange().value());
}

bool activeWorkbookIsKavex() {
    if (ExcelApp == nullptr) {
        return false;
    }
    try {
        return IsKavexWorkbook(ExcelApp->activeWorkbook(), false);
    } catch (...) {
        return false;
    }
}

}  // namespace

std::string NameValueOnSheet(const sheet::Worksheet& sheet, std::string_view name) {
    return nameValue(sheet.names().item(name));
}

bool IsKavexWorkbook(const sheet::Workbook& workbook, bool recordSizes) {
    try {
        if (workbook.isNothing()) {
            return false;
        }
        const sheet::Worksheet info = workbook.worksheets().item("KavexInfo");
        const sheet::Range version = info.range("KavexVersion");
        KavexVersion = base::CStr(version.value());
        if (recordSizes) {
            std::vector<BrowserControlSize> sizes;
            const sheet::Worksheets sheets = workbook.worksheets();
            for (int s = 1; s <= sheets.count(); ++s) {
                const sheet::Worksheet ws = sheets.item(s);
                const sheet::OLEObjects objects = ws.oleObjects();
                for (int o = 1; o <= objects.count(); ++o) {
                    const sheet::OLEObject object = objects.item(o);
                    sizes.push_back({ws.name(), object.name(), object.left(), object.top(),
                                     object.width(), object.height()});
                }
            }
            BrowserControlSizes = std::move(sizes);
        }
        return true;
    } catch (...) {
        return false;
    }
}

std::string GetTheSheetType(const sheet::Worksheet& sheet) {
    try {
        if (sheet.isNothing() || !activeWorkbookIsKavex()) {
            return {};
        }
        const sheet::Names names = sheet.names();
        for (const std::string_view kindName : kKindNames) {
            try {
                return nameValue(names.item(kindName));
            } catch (const base::PlatformError&) {
                // Not this kind: try the next name.
            }
        }
    } catch (...) {
    }
    return {};
}

bool GetSymbolRowColumn(const sheet::Worksheet& sheet, std::int32_t& row, std::int16_t& column) {
    static constexpr std::string_view kProcedure = "GetSymbolRowColumn";
    WriteLog(kProcedure, 3, "Entering");
    row = 0;
    column = 0;
    bool found = false;
    try {
        const std::string kind = GetTheSheetType(sheet);
        const auto match = std::find_if(kSymbolRanges.begin(), kSymbolRanges.end(),
                                        [&](const KindSymbolRange& r) { return r.kind == kind; });
        if (match != kSymbolRanges.end()) {
            const sheet::Range header = sheet.range(match->range);
            row = header.row();
            column = static_cast<std::int16_t>(header.column());
            found = true;
        }
    } catch (const std::exception& e) {
        WriteLog(kProcedure, 1, "Error: " + ErrorText(e));
        return false;
    }
    WriteLog(kProcedure, 3, "Exiting");
    return found;
}

bool GetSecurityNameRowColumn(const sheet::Worksheet& sheet, std::int32_t& row,
                              std::int16_t& column) {
    row = 0;
    column = 0;
    if (!activeWorkbookIsKavex()) {
        return false;
    }
    try {
        const sheet::Range name = sheet.range("WatchlistSecurityName");
        row = name.row();
        column = static_cast<std::int16_t>(name.column());
    } catch (...) {
        row = 0;
        column = 0;
    }
    return true;
}

void GetAttributeRowColumn(const sheet::Worksheet& sheet, std::int32_t& row, std::int16_t& column) {
    row = 0;
    column = 0;
    try {
        const sheet::Range header = sheet.range("WatchlistAttribHeader");
        row = header.row();
        column = static_cast<std::int16_t>(header.column());
    } catch (...) {
        row = 0;
        column = 0;
    }
}

short GetNoofColumns(const sheet::Worksheet& sheet) {
    try {
        const sheet::Range header = sheet.names().item("WatchlistAttribHeader").refersToRange();
        return static_cast<short>(header.currentRegion().columnCount());
    } catch (...) {
        return 0;
    }
}

short GetTheColumnWheretheAlertFormulaColumnIs(std::string& sheetKind) {
    try {
        if (ExcelApp == nullptr) {
            return 0;
        }
        std::string_view rangeName;
        if (sheetKind == kPortfolio) {
            rangeName = "PortFolioAlert";
        } else if (sheetKind == kWatchList) {
            rangeName = "WatchlistAlert";
        } else {
            return 0;
        }
        return static_cast<short>(ExcelApp->activeSheet().range(rangeName).column());
    } catch (...) {
        return 0;
    }
}

void AddKavexReference(bool flag) {
    static constexpr std::string_view kProcedure = "AddKavexReference";
    if (!flag) {
        return;
    }
    try {
        AddInPath = AppPath;
        if (ExcelApp == nullptr) {
            return;
        }
        const sheet::Workbook active = ExcelApp->activeWorkbook();
        sheet::References references = active.vbProject().references();
        for (int i = 1; i <= references.count(); ++i) {
            if (base::equalsIgnoringCase(references.item(i).name(), "kavexservice")) {
                return;
            }
        }
        const std::string xla = AddInPath + "Kavex.xla";
        sheet::AddIn addIn = ExcelApp->addIns().add(xla);
        if (!addIn.installed()) {
            addIn.setInstalled(true);
        }
        references.addFromFile(xla);
    } catch (const std::exception& e) {
        WriteLog(kProcedure, 1,
                 "Error while adding the reference to kavexservice Error : " + ErrorText(e));
    }
}

short CreateBrowserObjects(const std::string& /*sheetKind*/, sheet::Worksheet& /*sheet*/) {
    return 0;
}

void ResizeBrowserControl() {}

}  // namespace kavex::addin::core
