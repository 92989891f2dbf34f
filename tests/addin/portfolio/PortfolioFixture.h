#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "platform/base/Conversions.h"
#include "platform/base/Date.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/functions/CacheFixture.h"
#include "tests/addin/portfolio/PortfolioWorkbook.h"

namespace kavex::addin::portfolio::testing {

// An add-in workbook with the "Portfolio" and "Portfolio History" sheets laid out as the add-in's
// workbook has them (every column reached through its name), active on "Portfolio"; a symbol
// list of IBM, MSFT and KO; KavexLast answering from lastPrices.
class PortfolioFixture : public functions::testing::CacheFixture {
  protected:
    void SetUp() override {
        CacheFixture::SetUp();
        core::ExcelApp = &host_;
        for (const char* symbol : {"IBM", "MSFT", "KO"}) {
            listSymbol(symbol);
        }
        host_.registerFunction("KavexLast", [this](const auto& arguments) {
            const std::string symbol = base::CStr(arguments.at(0).value);
            const auto price = lastPrices.find(symbol);
            return base::Variant(price == lastPrices.end() ? std::string("#NODATA!")
                                                           : price->second);
        });
        host_.registerFunction("KavexName", [](const auto&) { return base::Variant("A company"); });
        host_.registerFunction("KavexChPerc", [](const auto&) { return base::Variant("1.00%"); });
        book_ = host_.workbooks().add();
        BuildPortfolioWorkbook(book_);
        portfolio().activate();
        resetGlobals();
    }

    void TearDown() override {
        resetGlobals();
        core::ExcelApp = nullptr;
        CacheFixture::TearDown();
    }

    static void resetGlobals() {
        dialogs::TransactionEntryMode.clear();
        dialogs::TransactionEditRow = 0;
        excelevents::PortfolioEditRow = 0;
        TransactionRecord = {};
        core::PortfolioRowRewritten = false;
        core::PortfolioHistoryChanged = false;
        core::InternalSheetUpdate = false;
    }

    sheet::Worksheet portfolio() const { return book_.worksheets().item("Portfolio"); }
    sheet::Worksheet history() const { return book_.worksheets().item("Portfolio History"); }

    // The shown text of a cell of a sheet.
    static std::string shown(const sheet::Worksheet& sheet, const std::string& address) {
        return sheet.range(address).text();
    }
    // Row r of the history as "id|symbol|type|date|shares|price|commission|amount|remarks".
    std::string historyRow(int row) const {
        return joined(history(), row, {"A", "B", "C", "D", "E", "F", "G", "H", "I"});
    }
    // Row r of the portfolio as "id|symbol|type|position|date|shares|price|commission|remarks".
    std::string portfolioRow(int row) const {
        return joined(portfolio(), row, {"A", "B", "D", "E", "F", "G", "H", "I", "N"});
    }
    static std::string joined(const sheet::Worksheet& sheet, int row,
                              std::initializer_list<const char*> columns) {
        std::string line;
        bool first = true;
        for (const char* column : columns) {
            line += first ? "" : "|";
            line += shown(sheet, column + std::to_string(row));
            first = false;
        }
        return line;
    }
    std::string cash() const { return shown(portfolio(), "C3"); }

    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& message : forms::scriptedDriver().messages()) {
            out.push_back(message.prompt);
        }
        return out;
    }
    std::string lastPrompt() const {
        const auto& messages = forms::scriptedDriver().messages();
        return messages.empty() ? std::string() : messages.back().prompt;
    }

    static base::Date day(int year, int month, int dayOfMonth) {
        return *base::makeDate(year, month, dayOfMonth);
    }
    static base::Date today() { return base::datePart(os::Now()); }

    std::map<std::string, std::string> lastPrices;
    sheet::Application host_;
    sheet::Workbook book_;
};

}  // namespace kavex::addin::portfolio::testing
