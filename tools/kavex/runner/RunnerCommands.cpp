#include <string>

#include "platform/base/PlatformError.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScenarioRunner.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

// Runs a command that must fail with a platform error of the given number: the way a script
// shows a refusal (a write to a protected cell, a formula that does not parse) without the run
// stopping with status 2.
void expectError(ScenarioContext& context, const CommandArgs& args) {
    const long long wanted = args.integer(0, "NUMBER");
    const std::vector<std::string> inner(args.all().begin() + 1, args.all().end());
    const std::string expected = "error " + std::to_string(wanted);
    try {
        executeCommand(context, context.commandTable(), inner);
    } catch (const base::PlatformError& error) {
        if (error.number() != wanted) {
            throw ExpectationFailed(
                expected, "error " + std::to_string(error.number()) + ": " + error.description(),
                "the error of " + inner.front());
        }
        return;
    }
    throw ExpectationFailed(expected, "no error", "the error of " + inner.front());
}

void echo(ScenarioContext& context, const CommandArgs& args) {
    std::string line;
    for (const std::string& text : args.all()) {
        line += line.empty() ? text : " " + text;
    }
    context.out() << line << "\n";
}

}  // namespace

void registerRunnerCommands(CommandTable& table) {
    table.add({"expect-error", "NUMBER COMMAND [ARGS...]",
               "runs the command, which must fail with that platform error number", 2,
               ScriptCommand::unbounded, expectError});
    table.add(
        {"echo", "[TEXT...]", "prints the texts on one line", 0, ScriptCommand::unbounded, echo});
}

}  // namespace kavex::tool
