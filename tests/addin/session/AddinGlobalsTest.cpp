#include "addin/session/AddinGlobals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"

namespace kavex::addin::session {
namespace {

std::string text(const AddinGlobal& global) {
    return base::CStr(global.value());
}

// The name of every module-level global the add-in's headers declare: `inline TYPE Name ...;`
// (constants aside) and `extern TYPE Name;` at the start of a line.
std::set<std::string> declaredGlobals() {
    const std::regex declaration(
        R"(^(?:inline|extern)\s+(?!constexpr\b)(?!const\b)[^(;=]*?\b([A-Za-z_][A-Za-z0-9_]*)\s*(?:=[^;]*|\{[^;]*\})?;)");
    std::set<std::string> names;
    const std::filesystem::path root = std::filesystem::path(KAVEX_SOURCE_DIR) / "addin";
    for (const auto& file : std::filesystem::recursive_directory_iterator(root)) {
        if (file.path().extension() != ".h" && file.path().extension() != ".cpp") {
            continue;
        }
        std::ifstream in(file.path());
        std::string line;
        while (std::getline(in, line)) {
            std::smatch match;
            if (std::regex_search(line, match, declaration)) {
                names.insert(match[1]);
            }
        }
    }
    return names;
}

TEST(AddinGlobals, EveryGlobalTheAddinDeclaresIsInTheList) {
    std::set<std::string> listed;
    for (const AddinGlobal& global : AddinGlobals()) {
        // A record's fields and the pool's entries are listed under the record's own name.
        listed.insert(global.name.substr(0, global.name.find_first_of(".(")));
    }
    const std::set<std::string> declared = declaredGlobals();
    ASSERT_GT(declared.size(), 60u) << "the scan finds the add-in's headers";
    for (const std::string& name : declared) {
        EXPECT_TRUE(listed.contains(name))
            << name << " is declared as a global but missing from AddinGlobals()";
    }
}

TEST(AddinGlobals, NamesAreUniqueAndFoundWithoutRegardToCase) {
    std::set<std::string> lowered;
    for (const AddinGlobal& global : AddinGlobals()) {
        std::string name = global.name;
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_TRUE(lowered.insert(name).second) << global.name << " twice";
        EXPECT_TRUE(global.value) << global.name;
        EXPECT_TRUE(global.reset) << global.name;
    }
    for (const char* name : {"ManualRefreshInProgress", "PortfolioEditRow", "LastTopListExchange",
                             "TimerPool(5).LastStatus", "TransactionRecord.Equity", "Timers",
                             "manualrefreshinprogress"}) {
        EXPECT_NE(FindAddinGlobal(name), nullptr) << name;
    }
    EXPECT_EQ(FindAddinGlobal("NoSuchGlobal"), nullptr);
    EXPECT_EQ(FindAddinGlobal("TimerPool(6).Status"), nullptr);
}

TEST(AddinGlobals, TheResetPutsBackWhatHandlersAndJobsLeft) {
    excelevents::SelectedRowSymbol = "IBM";
    excelevents::SelectedRowAlertID = "17";
    excelevents::PendingPortfolioEdit = {3, "Buy", 12};
    excelevents::PortfolioEditRow = 12;
    excelevents::ActiveSheetType = "Portfolio";
    excelevents::LastTopListExchange = "NYSE";
    portfolio::TransactionRecord.Price = 25;
    portfolio::dialogs::TransactionEntryMode = "Hand Edit";
    portfolio::dialogs::TransactionEditRow = 12;
    refresh::ManualRefreshInProgress = true;
    refresh::AutoRefreshTickCount = 17;
    refresh::TimerPool(3).Status = refresh::kEntryRunning;
    refresh::TimerPool(3).LastStatus = "OK";
    core::PriceFormat = "$###,###,##0";
    core::SheetBuildInProgress = true;
    UserSessionKey = "key";

    ResetAddinGlobals();

    const std::vector<std::pair<std::string, std::string>> expected{
        {"SelectedRowSymbol", ""},
        {"SelectedRowAlertID", ""},
        {"PendingPortfolioEdit.Column", "0"},
        {"PendingPortfolioEdit.OldValue", ""},
        {"PendingPortfolioEdit.Row", "0"},
        {"PortfolioEditRow", "0"},
        {"ActiveSheetType", ""},
        {"LastTopListExchange", ""},
        {"TransactionRecord.Price", "0"},
        {"TransactionEntryMode", ""},
        {"TransactionEditRow", "0"},
        {"ManualRefreshInProgress", "False"},
        {"AutoRefreshTickCount", "0"},
        {"TimerPool(3).Status", "0"},
        {"TimerPool(3).LastStatus", ""},
        {"PriceFormat", "$###,###,##0.00"},
        {"SheetBuildInProgress", "False"},
        {"UserSessionKey", ""},
        {"Timers", "Nothing"},
        {"DBConnection", "Nothing"},
    };
    for (const auto& [name, value] : expected) {
        const AddinGlobal* global = FindAddinGlobal(name);
        ASSERT_NE(global, nullptr) << name;
        EXPECT_EQ(text(*global), value) << name;
    }
}

// Run in a process of its own, so that every global still holds what the program starts with:
// the reset must give each one exactly that value.
TEST(AddinGlobalsDeathTest, TheResetGivesEachGlobalTheValueTheProgramStartsWith) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::vector<std::string> atStart;
            for (const AddinGlobal& global : AddinGlobals()) {
                atStart.push_back(text(global));
            }
            ResetAddinGlobals();
            std::string differing;
            for (std::size_t i = 0; i < AddinGlobals().size(); ++i) {
                const std::string now = text(AddinGlobals()[i]);
                if (now != atStart[i]) {
                    differing += AddinGlobals()[i].name + ": " + atStart[i] + " -> " + now + "; ";
                }
            }
            std::cerr << "differing: " << differing << std::endl;
            std::exit(differing.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kavex::addin::session
