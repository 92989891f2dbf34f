#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/functions/FunctionTables.h"
#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/ExcelHost.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::refresh {

namespace {

constexpr std::string_view kNameFunction = "KavexName";

}  // namespace

void SymbolSearch(const sheet::Worksheet& sheet, const std::string& /*sheetName*/,
                  const std::string& caption, std::int32_t row, std::int16_t column,
                  bool writeName) {
    static constexpr std::string_view kProcedure = "SymbolSearch";
    core::WriteLog(kProcedure, 3, "Entering");
    core::StepTrap step;

    const std::string_view function = functions::FunctionForCaption(caption);
    if (function.empty()) {
        core::WriteLog(kProcedure, 3, "Exiting");
        return;
    }

    step([] { Excel().setEnableEvents(false); });

    // A portfolio row being rewritten may sit on a sheet that is not the active one.
    sheet::Worksheet target;
    step([&] { target = core::PortfolioRowRewritten ? sheet : Excel().activeSheet(); });

    const std::string letter = SymbolColumnLetter(sheet);

    if (writeName) {
        step([&] {
            std::int32_t nameRow = 0;
            std::int16_t nameColumn = 0;
            core::GetSecurityNameRowColumn(target, nameRow, nameColumn);
            if (nameRow != 0 && nameColumn != 0) {
                target.cells(row, nameColumn)
                    .setFormula(AttributeFormula(kNameFunction, letter, row));
            }
        });
    }

    step([&] { target.cells(row, column).setFormula(AttributeFormula(function, letter, row)); });

    core::WriteLog(kProcedure, 3, "Exiting");
}

}  // namespace kavex::addin::refresh
