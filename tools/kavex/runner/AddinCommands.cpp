#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/WebTransport.h"
#include "addin/session/AddinGlobals.h"
#include "addin/session/KavexConnect.h"
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

    // Disconnects the add-in (if connected): the disconnection itself puts the add-in's globals
    // back, as a restarted spreadsheet finds them (the next script starts from its own reset).
    // Never throws.
    void unload() noexcept {
        if (!addin) {
            return;
        }
        try {
            addin->AddinInstance_OnDisconnection();
        } catch (...) {
            // What failed is in the add-in's log; whatever the disconnection left is dropped.
            resetAddinGlobals();
        }
        addin.reset();
    }

    // Every global of the add-in back to its start value, whatever the previous script left.
    static void resetAddinGlobals() noexcept { session::ResetAddinGlobals(); }
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

constexpr const char* kAnyValue = "<set>";

// expect-global NAME TEXT
void expectGlobal(ScenarioContext&, const CommandArgs& args) {
    const std::string& name = args[0];
    const session::AddinGlobal* global = session::FindAddinGlobal(name);
    if (global == nullptr) {
        // The pool's five records are listed once, as TimerPool(n).Field.
        std::vector<std::string> names;
        for (const session::AddinGlobal& entry : session::AddinGlobals()) {
            std::string listed = entry.name;
            if (const auto open = listed.find('('); open != std::string::npos) {
                listed.replace(open, listed.find(')') - open + 1, "(n)");
            }
            if (std::find(names.begin(), names.end(), listed) == names.end()) {
                names.push_back(listed);
            }
        }
        std::string known;
        for (const std::string& listed : names) {
            known += (known.empty() ? "" : ", ") + listed;
        }
        args.fail("unknown global '" + name + "' (known: " + known + ")");
    }
    const std::string found = valueText(global->value());
    if (args[1] == kAnyValue) {
        if (found.empty()) {
            throw ExpectationFailed("a value", "\"\"", name);
        }
        return;
    }
    expectEqual(name, args[1], found);
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
    // Every script starts with the add-in's globals as a fresh load finds them, whatever ran
    // before it in the same run.
    hooks.start = [](ScenarioContext&) { AddinState::resetAddinGlobals(); };
    hooks.finish = [](ScenarioContext& context) {
        if (auto* state = context.findExtension<AddinState>()) {
            state->unload();
        }
    };
    table.addHooks(std::move(hooks));
}

}  // namespace kavex::tool
