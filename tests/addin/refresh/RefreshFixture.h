#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "addin/core/Globals.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/StartupTables.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::testing {

// The add-in's workbook open in a host that knows the add-in's worksheet functions, over a fresh
// cache with a session: what a refresh reads and writes, without the servers.
class RefreshFixture : public functions::testing::CacheFixture {
  protected:
    void SetUp() override {
        CacheFixture::SetUp();
        core::ExcelApp = &app;
        os::machineClock().startSimulation(base::Date{45000.5});
        session::InitAddInVariables();
        session::UserSessionKey = "SESSION-1";
        for (const functions::InterfaceMethod& method : functions::KavexConnectMethods()) {
            if (method.call) {
                app.registerFunction(std::string(method.name),
                                     functions::WorksheetFunctionFor(method));
            }
        }
        book = app.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
    }
    void TearDown() override {
        refresh::resetTimerPool();
        core::ExcelApp = nullptr;
        os::machineClock().useRealTime();
        CacheFixture::TearDown();
    }

    sheet::Worksheet sheetNamed(const std::string& name) { return book.worksheets().item(name); }
    sheet::Worksheet activate(const std::string& name) {
        sheet::Worksheet ws = sheetNamed(name);
        ws.activate();
        return ws;
    }
    std::string shown(const sheet::Worksheet& ws, const std::string& ref) {
        return base::CStr(ws.range(ref).value());
    }
    bool logHas(const std::string& text) const {
        for (const std::string& line : logLines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    // The three indices as the quote service stores them.
    void cacheIndices(const std::string& nyse, const std::string& nsdq, const std::string& amex) {
        cacheExchange("NYSE", nyse);
        cacheExchange("NSDQ", nsdq);
        cacheExchange("AMEX", amex);
    }
    static std::string index(const std::string& last, const std::string& change) {
        return "<Stock><Last>" + last + "</Last><Change>" + change + "</Change></Stock>";
    }

    sheet::Application app;
    sheet::Workbook book;
};

}  // namespace kavex::addin::testing
