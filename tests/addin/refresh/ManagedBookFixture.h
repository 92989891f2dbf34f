#pragma once

#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::addin::refresh::testing {

// An add-in workbook with a watch list laid out as the add-in's own (symbols in B, names in C,
// attribute header D4:G4), a second watch list whose symbols sit in column E, a details sheet and
// a plain sheet; entry and exit traces are logged.
class ManagedBookFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        core::ResetCoreGlobals();
        core::ExcelApp = &app_;
        core::AddInPath = folder_.withSeparator();
        core::LogLevel = 3;

        book_ = app_.workbooks().add();
        sheet::Worksheets sheets = book_.worksheets();
        watch_ = sheets.item(1);
        watch_.setName("Watch List");
        info_ = sheets.add("KavexInfo");
        shifted_ = sheets.add("Shifted");
        details_ = sheets.add("Details");
        info_.range("B1").setValue("3.0");
        info_.names().add("KavexVersion", "=KavexInfo!$B$1");

        watch_.range("A1").setValue("My stocks");
        watch_.names().add("WSName_Watchlist", "=\"Watch List\"");
        watch_.names().add("WatchListSymbol", "='Watch List'!$B$4");
        watch_.names().add("WatchlistSecurityName", "='Watch List'!$C$4");
        watch_.names().add("WatchlistAttribHeader", "='Watch List'!$D$4:$G$4");
        const char* headers[] = {
            "Symbol", "Name", "Last Trade Price", "Change in Price ($)", "Change in Price (%)",
            "Volume"};
        for (int i = 0; i < 6; ++i) {
            watch_.cells(4, 2 + i).setValue(headers[i]);
        }

        shifted_.names().add("WSName_Watchlist", "=\"Watch List\"");
        shifted_.names().add("WatchListSymbol", "=Shifted!$E$2");
        shifted_.names().add("WatchlistAttribHeader", "=Shifted!$F$2:$G$2");
        shifted_.range("E2").setValue("Symbol");

        details_.names().add("WSName_Details", "=\"Details\"");

        watch_.activate();
    }
    void TearDown() override {
        core::ResetCoreGlobals();
        core::ExcelApp = nullptr;
    }

    // Puts symbols down column B from row 5 as the add-in would, with events off.
    void putSymbols(std::initializer_list<const char*> symbols, int firstRow = 5) {
        app_.setEnableEvents(false);
        int row = firstRow;
        for (const char* symbol : symbols) {
            watch_.cells(row++, 2).setValue(symbol);
        }
        app_.setEnableEvents(true);
    }

    // A log line of exactly this procedure and message.
    bool logHas(const std::string& procedure, const std::string& message) const {
        const std::string tail = "\t" + procedure + "\t" + message;
        for (const std::string& line : folder_.lines("KavexLog.txt")) {
            if (line.size() >= tail.size() &&
                line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
                return true;
            }
        }
        return false;
    }
    int logLineCount() const { return static_cast<int>(folder_.lines("KavexLog.txt").size()); }

    addin::testing::TempFolder folder_{"kavex-refresh"};
    sheet::Application app_;
    sheet::Workbook book_;
    sheet::Worksheet watch_, info_, shifted_, details_;
};

}  // namespace kavex::addin::refresh::testing
