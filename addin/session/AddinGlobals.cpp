#include "addin/session/AddinGlobals.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "addin/commandbars/Login.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/commandbars/frmDisplayMessage.h"
#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/functions/AttributeNames.h"
#include "addin/marketdata/DivSplit.h"
#include "addin/portfolio/KnownSheets.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/MarketHours.h"
#include "addin/refresh/TimerPool.h"
#include "addin/refresh/clsTimer.h"
#include "addin/session/Session.h"
#include "addin/session/StartupTables.h"
#include "addin/session/frmSplash.h"
#include "platform/base/Text.h"

namespace kavex::addin::session {

namespace {

base::Variant shown(const std::string& value) {
    return base::Variant(value);
}
base::Variant shown(bool value) {
    return base::Variant(value);
}
base::Variant shown(short value) {
    return base::Variant(static_cast<double>(value));
}
base::Variant shown(int value) {
    return base::Variant(static_cast<double>(value));
}
base::Variant shown(double value) {
    return base::Variant(value);
}
base::Variant shown(base::Date value) {
    return base::Variant(value);
}
base::Variant shown(const marketdata::SymbolList& list) {
    if (const auto* value = std::get_if<base::Variant>(&list)) {
        return *value;
    }
    std::string joined;
    for (const std::string& symbol : std::get<std::vector<std::string>>(list)) {
        joined += (joined.empty() ? "" : ",") + symbol;
    }
    return base::Variant(joined);
}

// A plain global: shown as it is, put back to `start`.
template <class T>
AddinGlobal plain(std::string name, T& variable, T start) {
    return {std::move(name), [&variable] { return shown(variable); },
            [&variable, start] { variable = start; }};
}

// An object global: "Nothing" while it holds none, else its class name; released to Nothing.
template <class Pointer>
AddinGlobal object(std::string name, std::string className, Pointer& variable) {
    return {std::move(name),
            [&variable, className] {
                return base::Variant(variable ? className : std::string("Nothing"));
            },
            [&variable] { variable = Pointer(); }};
}

// A collection global: shown as its count, emptied.
template <class Collection>
AddinGlobal collection(std::string name, Collection& variable) {
    return {std::move(name),
            [&variable] { return base::Variant(static_cast<double>(variable.size())); },
            [&variable] { variable = Collection(); }};
}

// One field of a global record: the field is shown, the whole record put back.
template <class Record, class Field>
AddinGlobal field(std::string name, Record& record, Field Record::*member) {
    return {std::move(name), [&record, member] { return shown(record.*member); },
            [&record] { record = Record(); }};
}

// One field of one of the pool's five job records; it puts the whole pool back.
template <class Field>
void addPoolField(std::vector<AddinGlobal>& list, short index, const char* fieldName,
                  Field refresh::TimerPoolEntry::*member) {
    list.push_back({"TimerPool(" + std::to_string(index) + ")." + fieldName,
                    [index, member] { return shown(refresh::TimerPool(index).*member); },
                    [] { refresh::TimerPool = refresh::TimerPoolEntries(); }});
}

void addTimerPool(std::vector<AddinGlobal>& list) {
    using refresh::TimerPoolEntry;
    for (short index = 1; index <= refresh::TimerPoolEntries::kSize; ++index) {
        addPoolField(list, index, "Status", &TimerPoolEntry::Status);
        addPoolField(list, index, "CommandCode", &TimerPoolEntry::CommandCode);
        addPoolField(list, index, "SheetName", &TimerPoolEntry::SheetName);
        addPoolField(list, index, "SymbolList", &TimerPoolEntry::SymbolList);
        addPoolField(list, index, "ActionValue", &TimerPoolEntry::ActionValue);
        addPoolField(list, index, "Arg1", &TimerPoolEntry::Arg1);
        addPoolField(list, index, "Arg2", &TimerPoolEntry::Arg2);
        addPoolField(list, index, "Arg3", &TimerPoolEntry::Arg3);
        addPoolField(list, index, "Arg4", &TimerPoolEntry::Arg4);
        addPoolField(list, index, "LastLoginDate", &TimerPoolEntry::LastLoginDate);
        addPoolField(list, index, "LastStatus", &TimerPoolEntry::LastStatus);
    }
}

std::vector<AddinGlobal> buildList() {
    namespace cb = commandbars;
    namespace ev = excelevents;
    namespace pf = portfolio;
    namespace rf = refresh;
    std::vector<AddinGlobal> list;

    // What holds other objects goes first: the event sink and the timers let go of what they
    // use before the connection they share is closed.
    list.push_back(object("XLAppEvents", "clsXLApp", XLAppEvents));
    list.push_back({"Timers",
                    [] {
                        return base::Variant(rf::Timers ? std::string("clsTimer")
                                                        : std::string("Nothing"));
                    },
                    [] { rf::DestroyTimerPool(); }});
    addTimerPool(list);
    list.push_back({"DBConnection",
                    [] {
                        return base::Variant(core::DBConnection ? std::string("Connection")
                                                                : std::string("Nothing"));
                    },
                    [] {
                        if (core::DBConnection) {
                            try {
                                core::DBConnection->Close();
                            } catch (...) {
                                // Closing a connection that broke: it goes all the same.
                            }
                        }
                        core::DBConnection.reset();
                    }});
    list.push_back({"ExcelApp",
                    [] {
                        return base::Variant(core::ExcelApp ? std::string("Application")
                                                            : std::string("Nothing"));
                    },
                    [] { core::ExcelApp = nullptr; }});
    list.push_back({"ExcelCommandBars", [] { return base::Variant(std::string("CommandBars")); },
                    [] { core::ExcelCommandBars = office::CommandBars(); }});
    list.push_back({"IEBrowser",
                    [] {
                        return base::Variant(core::IEBrowser ? std::string("InternetExplorer")
                                                             : std::string("Nothing"));
                    },
                    [] { core::IEBrowser.reset(); }});

    // Core services: the folder, the configuration mirrors, the shared flags.
    list.push_back(plain("AddInPath", core::AddInPath, std::string()));
    list.push_back(plain("AppPath", core::AppPath, std::string()));
    list.push_back(plain("KavexVersion", core::KavexVersion, std::string()));
    list.push_back(plain("WebsiteURL", core::WebsiteURL, std::string()));
    list.push_back(plain("DecimalPlaces", core::DecimalPlaces, short{2}));
    list.push_back(plain("PriceFormat", core::PriceFormat, std::string("$###,###,##0.00")));
    list.push_back(plain("AutoUpdateMode", core::AutoUpdateMode, short{0}));
    list.push_back(plain("DataRefreshInterval", core::DataRefreshInterval, short{0}));
    list.push_back(plain("LastLoginDate", core::LastLoginDate, std::string()));
    list.push_back(plain("TopVolLeaders", core::TopVolLeaders, short{0}));
    list.push_back(plain("TopPriceGainers", core::TopPriceGainers, short{0}));
    list.push_back(plain("TopPriceLosers", core::TopPriceLosers, short{0}));
    list.push_back(plain("LogLevel", core::LogLevel, short{0}));
    list.push_back(plain("InternalSheetUpdate", core::InternalSheetUpdate, false));
    list.push_back(plain("SheetBuildInProgress", core::SheetBuildInProgress, false));
    list.push_back(plain("PortfolioRowRewritten", core::PortfolioRowRewritten, false));
    list.push_back(plain("PortfolioHistoryChanged", core::PortfolioHistoryChanged, false));
    list.push_back(collection("BrowserControlSizes", core::BrowserControlSizes));
    list.push_back(plain("QuoteServiceURL", core::QuoteServiceURL,
                         std::string(core::kDefaultQuoteServiceURL)));
    list.push_back(
        {"WebRequestTimeout",
         [] { return base::Variant(static_cast<double>(core::WebRequestTimeout.count())); },
         [] { core::WebRequestTimeout = std::chrono::milliseconds(30000); }});
    list.push_back(plain("ConnectivityMessageShown", core::ConnectivityMessageShown, false));

    // Start-up and session: the session, the login answer, the start-up tables.
    list.push_back(plain("UserSessionKey", UserSessionKey, std::string()));
    list.push_back(plain("ExFeedReferrer", ExFeedReferrer, std::string()));
    list.push_back(plain("ShowDeprecatedMacroWarning", ShowDeprecatedMacroWarning, false));
    list.push_back(plain("LoginUserID", LoginUserID, std::string()));
    list.push_back(plain("LoginDate", LoginDate, std::string()));
    list.push_back(plain("DivSplitProcessFlag", DivSplitProcessFlag, std::string()));
    list.push_back(plain("MinRefreshTime", MinRefreshTime, short{0}));
    list.push_back(plain("BroadcastFile", BroadcastFile, std::string()));
    list.push_back(plain("LatestVersion", LatestVersion, std::string()));
    list.push_back(plain("DownloadFlag", DownloadFlag, std::string()));
    list.push_back(plain("DownloadURL", DownloadURL, std::string()));
    list.push_back({"SplashVisible", [] { return base::Variant(SplashVisible); },
                    [] {
                        SplashVisible = false;
                        UnloadSplash();
                    }});
    list.push_back(plain("AddInState", AddInState, std::string()));
    list.push_back(plain("AddInStartUp", AddInStartUp, false));
    list.push_back({"SymbolFunctionNames",
                    [] { return base::Variant(static_cast<double>(SymbolFunctionNames.Count())); },
                    [] { SymbolFunctionNames.Clear(); }});
    list.push_back(
        {"ExchangeFunctionNames",
         [] { return base::Variant(static_cast<double>(ExchangeFunctionNames.Count())); },
         [] { ExchangeFunctionNames.Clear(); }});
    list.push_back(collection("AttributeColumnTable", AttributeColumnTable));

    // Worksheet functions and market data.
    list.push_back(collection("AttributeNames", functions::AttributeNames));
    list.push_back(collection("LastDivSplitItems", marketdata::LastDivSplitItems));

    // Refresh engine (the timers and their pool are above).
    list.push_back(plain("AutoRefreshTickCount", rf::AutoRefreshTickCount, 0.0));
    list.push_back(plain("ManualRefreshInProgress", rf::ManualRefreshInProgress, false));
    list.push_back(plain("IdleTickCount", rf::IdleTickCount, short{0}));
    list.push_back(collection("TimeZoneTable", rf::TimeZoneTable));

    // Command bars.
    list.push_back(object("KavexToolbar", "CommandBar", cb::KavexToolbar));
    list.push_back(object("AutoUpdateButton", "CommandBarButton", cb::AutoUpdateButton));
    list.push_back(object("RefreshIntervalCombo", "CommandBarComboBox", cb::RefreshIntervalCombo));
    list.push_back(object("CreateAlertButton", "CommandBarButton", cb::CreateAlertButton));
    list.push_back(plain("MinRefreshInterval", cb::MinRefreshInterval, short{30}));
    list.push_back(plain("RefreshListIndex", cb::RefreshListIndex, short{1}));
    list.push_back(plain("LoginInProgress", cb::LoginInProgress, false));

    // Excel event handling.
    list.push_back(plain("SelectedRowSymbol", ev::SelectedRowSymbol, std::string()));
    list.push_back(plain("SelectedRowAlertID", ev::SelectedRowAlertID, std::string()));
    list.push_back(field("PendingPortfolioEdit.Column", ev::PendingPortfolioEdit,
                         &ev::PendingPortfolioEditRecord::Column));
    list.push_back(field("PendingPortfolioEdit.OldValue", ev::PendingPortfolioEdit,
                         &ev::PendingPortfolioEditRecord::OldValue));
    list.push_back(field("PendingPortfolioEdit.Row", ev::PendingPortfolioEdit,
                         &ev::PendingPortfolioEditRecord::Row));
    list.push_back(plain("PortfolioEditRow", ev::PortfolioEditRow, std::int32_t{0}));
    list.push_back(plain("ActiveSheetType", ev::ActiveSheetType, std::string()));
    list.push_back(plain("LastTopListExchange", ev::LastTopListExchange, std::string()));

    // Portfolio engine and dialogs.
    list.push_back(
        field("TransactionRecord.Equity", pf::TransactionRecord, &pf::TransactionFields::Equity));
    list.push_back(
        field("TransactionRecord.Price", pf::TransactionRecord, &pf::TransactionFields::Price));
    list.push_back(field("TransactionRecord.Commission", pf::TransactionRecord,
                         &pf::TransactionFields::Commission));
    list.push_back(field("TransactionRecord.NumberOfShares", pf::TransactionRecord,
                         &pf::TransactionFields::NumberOfShares));
    list.push_back(field("TransactionRecord.TransactionDate", pf::TransactionRecord,
                         &pf::TransactionFields::TransactionDate));
    list.push_back(
        field("TransactionRecord.Remarks", pf::TransactionRecord, &pf::TransactionFields::Remarks));
    list.push_back(plain("TransactionEntryMode", pf::dialogs::TransactionEntryMode, std::string()));
    list.push_back(plain("TransactionEditRow", pf::dialogs::TransactionEditRow, std::int32_t{0}));
    return list;
}

}  // namespace

const std::vector<AddinGlobal>& AddinGlobals() {
    static const std::vector<AddinGlobal> list = buildList();
    return list;
}

const AddinGlobal* FindAddinGlobal(const std::string& name) {
    const std::string wanted = base::toLowerAscii(name);
    for (const AddinGlobal& global : AddinGlobals()) {
        if (base::toLowerAscii(global.name) == wanted) {
            return &global;
        }
    }
    return nullptr;
}

void ResetAddinGlobals() noexcept {
    // The message window is a dialog, not a global, but it belongs to the session it showed.
    try {
        commandbars::UnloadMessageWindow();
    } catch (...) {
    }
    // What the bookings remember of the portfolio sheets belongs to the workbooks of the session.
    portfolio::ForgetKnownSheets();
    for (const AddinGlobal& global : AddinGlobals()) {
        try {
            global.reset();
        } catch (...) {
            // One global that cannot be released keeps none of the others from their reset.
        }
    }
}

}  // namespace kavex::addin::session
