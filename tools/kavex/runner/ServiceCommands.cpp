#include <string>
#include <vector>

#include "platform/base/Conversions.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "services/Fault.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScenarioServices.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

// service FAULT | service quote SYMBOL [FIELD=VALUE...] | service slow-delay SECONDS
void service(ScenarioContext& context, const CommandArgs& args) {
    ScenarioServices& scenario = scenarioServices(context);
    scenario.syncClock();
    services::Server& server = scenario.server();
    const std::string& what = args[0];
    if (what == "quote") {
        const std::string& symbol = args[1];
        const auto fields = args.keyValues(2);
        if (fields.empty()) {
            server.backend().clearQuoteOverrides(symbol);
            return;
        }
        try {
            server.backend().overrideQuote(symbol, fields);
        } catch (const std::invalid_argument& error) {
            args.fail(error.what());
        }
        return;
    }
    if (what == "slow-delay") {
        if (args.size() != 2) {
            args.fail("slow-delay takes one number of seconds");
        }
        const double seconds = args.number(1, "SECONDS");
        if (seconds < 0) {
            args.fail("SECONDS must not be negative");
        }
        server.backend().setSlowDelay(
            std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
        return;
    }
    if (args.size() != 1) {
        args.fail("a fault takes no further arguments");
    }
    const auto fault = services::parseFault(what);
    if (!fault) {
        args.fail("unknown fault '" + what +
                  "' (none, down, slow, http500, badxml, invalid-session; or quote, slow-delay)");
    }
    server.setFault(*fault);
}

void expectServiceAction(ScenarioContext& context, const CommandArgs& args) {
    ScenarioServices& scenario = scenarioServices(context);
    const std::string& type = args[0];
    const std::optional<std::string> reason =
        args.size() > 1 ? std::optional<std::string>(args[1]) : std::nullopt;
    const services::Backend& backend = scenario.server().backend();
    if (backend.hasAction(type, reason)) {
        return;
    }
    std::string seen;
    for (const auto& action : backend.actions()) {
        seen += (seen.empty() ? "" : "; ") + action.type +
                (action.reason.empty() ? "" : " (" + action.reason + ")");
    }
    throw ExpectationFailed(type + (reason ? " (" + *reason + ")" : ""),
                            seen.empty() ? "no user action" : seen, "user action reported");
}

// The add-in's database through the same layer the add-in uses, so that Jet forms (#dates#, Now(),
// select top) work in scripts as they do in the add-in.
db::Connection openAddinDatabase(ScenarioContext& context, const CommandArgs& args) {
    const auto& file = scenarioServices(context).database();
    if (file.empty()) {
        args.fail("the add-in has no database yet (addin load first)");
    }
    db::Connection connection;
    connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + file.string() + "\"");
    return connection;
}

void sql(ScenarioContext& context, const CommandArgs& args) {
    db::Connection connection = openAddinDatabase(context, args);
    connection.Execute(args[0]);
}

void expectSql(ScenarioContext& context, const CommandArgs& args) {
    db::Connection connection = openAddinDatabase(context, args);
    db::Recordset records;
    records.Open(args[0], connection);
    std::string found = "<none>";
    if (records.State() == 1 && !records.Eof()) {
        const base::Variant value = records.Fields(0);
        found = value.isNull() ? "<null>" : base::CStr(value);
    }
    expectEqual(args[0], args[1], found);
}

}  // namespace

void registerServiceCommands(CommandTable& table) {
    table.add({"service", "FAULT | quote SYMBOL [FIELD=VALUE...] | slow-delay SECONDS",
               "switches the embedded services' fault (none, down, slow, http500, badxml, "
               "invalid-session), fixes fields of a symbol's quote (none given: forgets them), "
               "or sets how long slow answers wait",
               1, ScriptCommand::unbounded, service});
    table.add({"expect-service-action", "TYPE [REASON]",
               "the web service received a user action of that type (and reason); types are the "
               "add-in's numbers, or login / logout (the reason being the logout reason)",
               1, 2, expectServiceAction});
    table.add({"sql", "STATEMENT", "runs a statement on the add-in's database", 1, 1, sql});
    table.add({"expect-sql", "QUERY TEXT",
               "the first column of the first row of QUERY, as text, equals TEXT (<none> no row, "
               "<null> Null)",
               2, 2, expectSql});
    ScriptHooks hooks;
    hooks.afterCommand = [](ScenarioContext& context) {
        if (auto* scenario = context.findExtension<ScenarioServices>()) {
            scenario->syncClock();
        }
    };
    table.addHooks(std::move(hooks));
}

}  // namespace kavex::tool
