#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::testing {

// A host with the add-in's workbook open and stand-ins for the quote functions: each answers the
// text the test put under its name and the symbol in quotes[function][symbol] ("" when none), so
// that a test changes a value by changing the map and recalculating.
class SheetFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        core::ExcelApp = &app;
        os::machineClock().startSimulation(base::Date{45000.5});
        for (const char* name : {"KavexLast", "KavexChange", "KavexChPerc", "KavexName",
                                 "KavexCuVol", "KavexPrEarn", "KavexOpen", "CHANGE"}) {
            const std::string function = name;
            app.registerFunction(
                function, [this, function](const std::vector<kavex::formula::Argument>& args) {
                    ++calls;
                    const std::string symbol = args.empty() ? "" : base::CStr(args[0].value);
                    return base::Variant(quotes[function][symbol]);
                });
        }
    }
    void TearDown() override {
        core::ExcelApp = nullptr;
        os::machineClock().useRealTime();
    }

    sheet::Workbook openKavexBook() {
        return app.workbooks().open(
            ((std::filesystem::path(KAVEX_SOURCE_DIR) / "data") / "workbooks" / "KavexBook.xls")
                .string());
    }
    sheet::Worksheet sheetNamed(const std::string& name) {
        return app.activeWorkbook().worksheets().item(name);
    }
    static std::int64_t ticks() { return os::machineClock().tickMillis(); }

    sheet::Application app;
    std::map<std::string, std::map<std::string, std::string>> quotes;
    int calls = 0;
};

}  // namespace kavex::addin::testing
