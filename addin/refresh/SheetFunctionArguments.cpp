#include "addin/refresh/SheetFunctionArguments.h"

#include <string_view>
#include <vector>

#include "addin/core/Errors.h"
#include "addin/core/Log.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/SplashProgress.h"
#include "addin/session/StartupTables.h"
#include "platform/base/Conversions.h"
#include "platform/spreadsheet/Constants.h"

namespace kavex::addin::refresh {

namespace {

// The values the active sheet's formulas of one function family take, without repeats.
std::vector<std::string> argumentsOf(std::string_view procedure,
                                     session::NameCollection& functionNames) {
    core::StepTrap trap;
    // 1.
    core::WriteLog(procedure, 3, "Entering");
    UnprotectWorksheet();
    sheet::Range formulas;
    trap([] { Excel().setEnableEvents(false); });
    trap([&] {
        formulas = Excel().activeSheet().usedRange().specialCells(sheet::xlCellTypeFormulas);
    });
    trap([] { Excel().setEnableEvents(true); });

    session::NameCollection values;
    std::vector<sheet::Range> cells;
    if (!formulas.isNothing()) {
        trap([&] { cells = formulas.eachCell(); });
    }
    for (const sheet::Range& cell : cells) {
        trap([&] {
            // 2. The name of the function the formula begins with.
            const std::string formula = cell.formula();
            const std::size_t open = formula.find('(');
            if (open == std::string::npos || open < 1) {
                return;
            }
            const std::string name = formula.substr(1, open - 1);
            // 3. Known when the collection already holds it as a key; a key added by the test
            // goes again at once.
            if (name.empty()) {
                return;
            }
            if (functionNames.Add(name)) {
                functionNames.Remove(name);
                return;
            }
            // 4. Its argument: a quoted text, or the value of the cell it names.
            const std::size_t close = formula.find(')', open + 1);
            const std::string argument = formula.substr(
                open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
            std::string value;
            if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
                value = argument.substr(1, argument.size() - 2);
            } else {
                value = base::CStr(Excel().activeSheet().range(argument).value());
            }
            if (!value.empty()) {
                values.Add(value);
            }
        });
    }
    // 5.
    SplashProgress();
    return values.Names();
}

void finish(std::string_view procedure) {
    // 6.
    ProtectWorksheet();
    core::WriteLog(procedure, 3, "Exiting");
}

}  // namespace

short GetActiveWorksheetSymbolList(marketdata::SymbolList& SymbolList) {
    static constexpr std::string_view kProcedure = "GetActiveWorksheetSymbolList";
    std::vector<std::string> symbols = argumentsOf(kProcedure, session::SymbolFunctionNames);
    if (!symbols.empty()) {
        SymbolList = std::move(symbols);
    }
    finish(kProcedure);
    return 0;
}

short GetActiveWorksheetExchangeList(std::string& ExchangeList) {
    static constexpr std::string_view kProcedure = "GetActiveWorksheetExchangeList";
    for (const std::string& exchange : argumentsOf(kProcedure, session::ExchangeFunctionNames)) {
        ExchangeList += exchange + ",";
    }
    finish(kProcedure);
    return 0;
}

}  // namespace kavex::addin::refresh
