#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/commandbars/DeInit.h"
#include "addin/commandbars/Login.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/WebTransport.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "addin/session/KavexConnect.h"
#include "addin/session/Session.h"
#include "platform/base/Variant.h"
#include "platform/db/Connection.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/office/CommandBarButton.h"
#include "platform/office/CommandBarComboBox.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/Database.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScenarioServices.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

namespace commandbars = addin::commandbars;
namespace core = addin::core;
namespace session = addin::session;

// The add-in of one script: its folder and, while it is connected, the add-in object.
struct AddinState {
    std::filesystem::path folder;  // set by `addin folder` or `addin load`
    std::unique_ptr<session::KavexConnect> addin;

    AddinState() = default;
    AddinState(AddinState&&) noexcept = default;
    AddinState& operator=(AddinState&&) noexcept = default;
    ~AddinState() { unload(); }

    // Disconnects the add-in (if connected) and leaves the process-wide state as a fresh start
    // finds it, so that the next script does not inherit this one's session or bars. Never
    // throws.
    void unload() noexcept {
        if (addin) {
            try {
                addin->AddinInstance_OnDisconnection();
            } catch (...) {
                // The script is over or being unloaded; what failed is in the add-in's log.
            }
            addin.reset();
        }
        resetAddinGlobals();
    }

    static void resetAddinGlobals() noexcept {
        try {
            commandbars::DeInitAddInVariables();
            session::ClearSession();
            session::AddInState.clear();
            session::SplashVisible = false;
            core::ResetCoreGlobals();
            core::ExcelApp = nullptr;
            core::ExcelCommandBars = office::CommandBars();
        } catch (...) {
        }
    }
};

AddinState& addinState(ScenarioContext& context) {
    // The services are made first so that they outlive the add-in, which logs out through them.
    scenarioServices(context);
    return context.extension<AddinState>();
}

void requireLoaded(const AddinState& state, const CommandArgs& args) {
    if (!state.addin) {
        args.fail("the add-in is not loaded (addin load first)");
    }
}

std::string sqlQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

void setConfig(db::Connection& connection, const std::string& key, const std::string& value) {
    connection.Execute("update ConfigSettings set ConfigValue=" + sqlQuoted(value) +
                       " where ConfigKey=" + sqlQuoted(key));
}

// addin folder DIR
void addinFolder(ScenarioContext& context, const CommandArgs& args) {
    AddinState& state = addinState(context);
    if (state.addin) {
        args.fail("the add-in is loaded; its folder cannot change now");
    }
    const std::filesystem::path folder = context.resolvePath(args[0]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        args.fail("cannot use " + folder.string() + " as the add-in's folder");
    }
    state.folder = folder;
}

// addin load
void addinLoad(ScenarioContext& context, const CommandArgs& args) {
    AddinState& state = addinState(context);
    if (state.addin) {
        args.fail("the add-in is loaded already");
    }
    if (state.folder.empty()) {
        state.folder = context.temporaryDirectory() / "addin";
        std::filesystem::create_directories(state.folder);
    }
    const std::filesystem::path database = state.folder / core::kDatabaseFileName;
    const bool fresh = !std::filesystem::exists(database);
    if (fresh) {
        try {
            createDatabase(database);
        } catch (const DatabaseCreationError& error) {
            args.fail(error.what());
        }
    }

    // The companion add-in workbook lives beside the database; a folder without one gets the
    // shipped copy (a folder that has one keeps it).
    const std::filesystem::path companion = state.folder / "Kavex.xla";
    if (!std::filesystem::exists(companion)) {
        std::error_code error;
        std::filesystem::copy_file(dataDirectory() / "workbooks" / "Kavex.xla", companion, error);
        if (error) {
            args.fail("cannot copy Kavex.xla into " + state.folder.string() + ": " +
                      error.message());
        }
    }

    ScenarioServices& services = scenarioServices(context);
    const std::string url = services.baseUrl();
    {
        db::Connection connection;
        connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + database.string() +
                        "\"");
        setConfig(connection, "WEBSITE_URL", url);
        // A scenario's add-in traces everything, so that expect-log can look at any step.
        if (fresh) {
            setConfig(connection, "LOG_LEVEL", "3");
        }
        connection.Close();
    }
    services.setDatabase(database);

    AddinState::resetAddinGlobals();
    state.addin = std::make_unique<session::KavexConnect>();
    state.addin->AddinInstance_Initialize();
    state.addin->AddinInstance_OnConnection(context.application(), state.folder.string() + "/");
    // The quote service runs beside the web service.
    core::QuoteServiceURL = url;
}

void addinUnload(ScenarioContext& context, const CommandArgs& args) {
    AddinState& state = addinState(context);
    requireLoaded(state, args);
    state.unload();
}

// login USER PASSWORD | login cancel
void login(ScenarioContext& context, const CommandArgs& args) {
    std::vector<forms::FormAction> actions;
    const std::string origin = context.location();
    if (args.size() == 1) {
        if (args[0] != "cancel") {
            args.fail("takes USER PASSWORD, or cancel");
        }
        actions.push_back({forms::FormAction::Kind::Click, "cmdCancel", "", origin});
    } else {
        actions.push_back({forms::FormAction::Kind::Set, "txtUserID", args[0], origin});
        actions.push_back({forms::FormAction::Kind::Set, "txtPassword", args[1], origin});
        actions.push_back({forms::FormAction::Kind::Click, "cmdOK", "", origin});
    }
    forms::scriptedDriver().queueFormActions("frmLogin", std::move(actions));
}

// command KEY
void command(ScenarioContext& context, const CommandArgs& args) {
    AddinState& state = addinState(context);
    requireLoaded(state, args);
    const std::string key = commandbars::LowerCase(args[0]);
    // The first control with the key that a user can reach; a key whose controls are all
    // disabled or hidden cannot be run by the user at all.
    bool carried = false;
    for (const auto& control :
         core::ExcelCommandBars.FindControls(std::string(commandbars::kButtonTag))) {
        if (control->isDeleted() || commandbars::LowerCase(control->Parameter()) != key) {
            continue;
        }
        carried = true;
        if (auto button = std::dynamic_pointer_cast<office::CommandBarButton>(control)) {
            if (button->click()) {
                return;
            }
        } else if (control->Enabled() && control->Visible()) {
            // A list runs its command when the user picks an entry; here the entry shown stays.
            commandbars::DispatchCommand(key);
            return;
        }
    }
    if (carried) {
        throw ExpectationFailed("a control the user can click", "disabled or hidden",
                                "command " + args[0]);
    }
    if (!commandbars::DispatchCommand(key)) {
        args.fail("no command has the key '" + args[0] + "'");
    }
}

// The globals a script may look at, by the names the add-in gives them.
struct GlobalEntry {
    const char* name;
    std::function<base::Variant()> value;
};

template <class T>
base::Variant number(T value) {
    return base::Variant(static_cast<double>(value));
}

const std::vector<GlobalEntry>& globalTable() {
    static const std::vector<GlobalEntry> table{
        {"UserSessionKey", [] { return base::Variant(session::UserSessionKey); }},
        {"ExFeedReferrer", [] { return base::Variant(session::ExFeedReferrer); }},
        {"LoginUserID", [] { return base::Variant(session::LoginUserID); }},
        {"DivSplitProcessFlag", [] { return base::Variant(session::DivSplitProcessFlag); }},
        {"MinRefreshTime", [] { return number(session::MinRefreshTime); }},
        {"BroadcastFile", [] { return base::Variant(session::BroadcastFile); }},
        {"ShowDeprecatedMacroWarning",
         [] { return base::Variant(session::ShowDeprecatedMacroWarning); }},
        {"SplashVisible", [] { return base::Variant(session::SplashVisible); }},
        {"AddInState", [] { return base::Variant(session::AddInState); }},
        {"AddInPath", [] { return base::Variant(core::AddInPath); }},
        {"WebsiteURL", [] { return base::Variant(core::WebsiteURL); }},
        {"DecimalPlaces", [] { return number(core::DecimalPlaces); }},
        {"PriceFormat", [] { return base::Variant(core::PriceFormat); }},
        {"AutoUpdateMode", [] { return number(core::AutoUpdateMode); }},
        {"DataRefreshInterval", [] { return number(core::DataRefreshInterval); }},
        {"LastLoginDate", [] { return base::Variant(core::LastLoginDate); }},
        {"TopVolLeaders", [] { return number(core::TopVolLeaders); }},
        {"TopPriceGainers", [] { return number(core::TopPriceGainers); }},
        {"TopPriceLosers", [] { return number(core::TopPriceLosers); }},
        {"LogLevel", [] { return number(core::LogLevel); }},
        {"InternalSheetUpdate", [] { return base::Variant(core::InternalSheetUpdate); }},
        {"SheetBuildInProgress", [] { return base::Variant(core::SheetBuildInProgress); }},
        {"PortfolioRowRewritten", [] { return base::Variant(core::PortfolioRowRewritten); }},
        {"PortfolioHistoryChanged", [] { return base::Variant(core::PortfolioHistoryChanged); }},
        {"ConnectivityMessageShown", [] { return base::Variant(core::ConnectivityMessageShown); }},
        {"LoginInProgress", [] { return base::Variant(commandbars::LoginInProgress); }},
        {"MinRefreshInterval", [] { return number(commandbars::MinRefreshInterval); }},
        {"RefreshListIndex", [] { return number(commandbars::RefreshListIndex); }},
        {"IdleTickCount", [] { return number(addin::refresh::IdleTickCount); }},
        {"AutoRefreshTickCount", [] { return number(addin::refresh::AutoRefreshTickCount); }},
        {"SelectedRowSymbol", [] { return base::Variant(addin::excelevents::SelectedRowSymbol); }},
        {"SelectedRowAlertID",
         [] { return base::Variant(addin::excelevents::SelectedRowAlertID); }},
        {"ActiveSheetType", [] { return base::Variant(addin::excelevents::ActiveSheetType); }},
        {"PendingPortfolioEdit.Column",
         [] { return number(addin::excelevents::PendingPortfolioEdit.Column); }},
        {"PendingPortfolioEdit.OldValue",
         [] { return base::Variant(addin::excelevents::PendingPortfolioEdit.OldValue); }},
        {"PendingPortfolioEdit.Row",
         [] { return number(addin::excelevents::PendingPortfolioEdit.Row); }},
        {"TransactionEntryMode",
         [] { return base::Variant(addin::portfolio::dialogs::TransactionEntryMode); }},
        {"TransactionEditRow",
         [] { return number(addin::portfolio::dialogs::TransactionEditRow); }},
    };
    return table;
}

constexpr const char* kAnyValue = "<set>";

// expect-global NAME TEXT
void expectGlobal(ScenarioContext&, const CommandArgs& args) {
    const std::string& name = args[0];
    for (const GlobalEntry& entry : globalTable()) {
        if (commandbars::LowerCase(entry.name) != commandbars::LowerCase(name)) {
            continue;
        }
        const std::string found = valueText(entry.value());
        if (args[1] == kAnyValue) {
            if (found.empty()) {
                throw ExpectationFailed("a value", "\"\"", name);
            }
            return;
        }
        expectEqual(name, args[1], found);
        return;
    }
    std::string known;
    for (const GlobalEntry& entry : globalTable()) {
        known += (known.empty() ? "" : ", ") + std::string(entry.name);
    }
    args.fail("unknown global '" + name + "' (known: " + known + ")");
}

std::vector<std::string> logLines(ScenarioContext& context, const CommandArgs& args) {
    AddinState& state = addinState(context);
    if (state.folder.empty()) {
        args.fail("the add-in has no folder yet (addin load first)");
    }
    std::vector<std::string> lines;
    std::ifstream in(state.folder / std::string(core::kLogFileName));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// expect-log TEXT
void expectLog(ScenarioContext& context, const CommandArgs& args) {
    const std::vector<std::string> lines = logLines(context, args);
    for (const std::string& line : lines) {
        if (line.find(args[0]) != std::string::npos) {
            return;
        }
    }
    throw ExpectationFailed("a line containing \"" + args[0] + "\"",
                            lines.empty()
                                ? "no log lines"
                                : std::to_string(lines.size()) + " lines, last: " + lines.back(),
                            std::string(core::kLogFileName));
}

// show-log [TEXT]
void showLog(ScenarioContext& context, const CommandArgs& args) {
    for (const std::string& line : logLines(context, args)) {
        if (args.empty() || line.find(args[0]) != std::string::npos) {
            context.out() << line << "\n";
        }
    }
}

}  // namespace

void registerAddinCommands(CommandTable& table) {
    table.add({"addin folder", "DIR",
               "the folder the next addin load uses (made when missing; an existing Kavex.mdb in "
               "it is kept)",
               1, 1, addinFolder});
    table.add({"addin load", "",
               "connects the add-in to the host: a fresh folder and database unless addin folder "
               "came first, configured for the embedded services",
               0, 0, addinLoad});
    table.add({"addin unload", "", "disconnects the add-in", 0, 0, addinUnload});
    table.add({"login", "USER PASSWORD | cancel",
               "answers the next login dialog with these credentials, or cancels it", 1, 2, login});
    table.add({"command", "KEY",
               "clicks the add-in's control with that command key, or runs the command of a key "
               "no control carries",
               1, 1, command});
    table.add({"expect-global", "NAME TEXT",
               "an add-in global's value as text (<set>: any non-empty value)", 2, 2,
               expectGlobal});
    table.add({"expect-log", "TEXT", "the add-in's log file has a line containing TEXT", 1, 1,
               expectLog});
    table.add({"show-log", "[TEXT]", "prints the add-in's log (the lines containing TEXT)", 0, 1,
               showLog});
    ScriptHooks hooks;
    hooks.finish = [](ScenarioContext& context) {
        if (auto* state = context.findExtension<AddinState>()) {
            state->unload();
        }
    };
    table.addHooks(std::move(hooks));
}

}  // namespace kavex::tool
