// Reading back the host's switches and selection, and user actions that happen while the add-in
// waits (a sheet switched while a refresh waits for its data).

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/os/MessageLoop.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScenarioRunner.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

using Args = const CommandArgs&;

// The words a switch's values are shown and compared as.
struct ValueWord {
    int value;
    const char* word;
};

constexpr ValueWord kCalculationWords[] = {{sheet::xlCalculationAutomatic, "automatic"},
                                           {sheet::xlCalculationManual, "manual"},
                                           {sheet::xlCalculationSemiautomatic, "semiautomatic"}};
constexpr ValueWord kCursorWords[] = {{sheet::xlDefault, "default"},
                                      {sheet::xlWait, "wait"},
                                      {sheet::xlNorthwestArrow, "arrow"},
                                      {sheet::xlIBeam, "ibeam"}};
constexpr ValueWord kCancelKeyWords[] = {{sheet::xlDisabled, "disabled"},
                                         {sheet::xlInterrupt, "interrupt"},
                                         {sheet::xlErrorHandler, "error-handler"}};

template <std::size_t N>
std::string wordOf(int value, const ValueWord (&words)[N]) {
    for (const ValueWord& entry : words) {
        if (entry.value == value) {
            return entry.word;
        }
    }
    return std::to_string(value);
}

// What the script expects, in the words the switch is shown in: a word of the table in any case,
// or the number of one.
template <std::size_t N>
std::string expectedWord(Args args, const ValueWord (&words)[N]) {
    const std::string given = base::toLowerAscii(args[0]);
    for (const ValueWord& entry : words) {
        if (given == entry.word || given == std::to_string(entry.value)) {
            return entry.word;
        }
    }
    std::string known;
    for (const ValueWord& entry : words) {
        known += (known.empty() ? "" : ", ") + std::string(entry.word);
    }
    args.fail("VALUE must be one of " + known + " or its number, not '" + args[0] + "'");
}

std::string flagWord(bool value) {
    return value ? "true" : "false";
}

void expectCalculation(ScenarioContext& context, Args args) {
    expectEqual("the host's calculation mode", expectedWord(args, kCalculationWords),
                wordOf(context.application().calculation(), kCalculationWords));
}

void expectEvents(ScenarioContext& context, Args args) {
    expectEqual("the host's events", flagWord(args.flag(0, "VALUE")),
                flagWord(context.application().enableEvents()));
}

void expectScreenUpdating(ScenarioContext& context, Args args) {
    expectEqual("the host's screen updating", flagWord(args.flag(0, "VALUE")),
                flagWord(context.application().screenUpdating()));
}

// "false" while the host shows its own text, else the text the add-in put there.
void expectStatusBar(ScenarioContext& context, Args args) {
    const base::Variant shown = context.application().statusBar();
    const std::string found = shown.isBool() ? flagWord(shown.boolean()) : valueText(shown);
    const bool expectsOwnText = base::equalsIgnoringCase(args[0], "false");
    expectEqual("the host's status bar", expectsOwnText ? "false" : args[0], found);
}

void expectCursor(ScenarioContext& context, Args args) {
    expectEqual("the host's cursor", expectedWord(args, kCursorWords),
                wordOf(context.application().cursor(), kCursorWords));
}

void expectCancelKey(ScenarioContext& context, Args args) {
    expectEqual("the host's cancel key", expectedWord(args, kCancelKeyWords),
                wordOf(context.application().enableCancelKey(), kCancelKeyWords));
}

// The selection of the active sheet, with its sheet: "Sheet1!B2:C3", "Sheet1!A1,C3".
std::string selectionText(ScenarioContext& context) {
    const sheet::Range selection = context.application().selection();
    return selection.isNothing() ? "<none>" : cellName(selection);
}

void expectSelection(ScenarioContext& context, Args args) {
    const std::string expected =
        args[0] == "<none>" ? args[0] : cellName(resolveReference(context, args[0]));
    expectEqual("the selection", expected, selectionText(context));
}

// ---- during-wait -------------------------------------------------------------------------------

// The commands queued for the next wait, and what went wrong when one of them ran. A queued
// command runs inside the message loop, possibly deep in the add-in's own code, so its failure is
// kept and reported after the command during which it ran, never thrown through the add-in.
struct DuringWait {
    struct Queued {
        int line = 0;
        std::vector<std::string> tokens;
        bool ran = false;
    };
    std::vector<std::shared_ptr<Queued>> queued;
    std::exception_ptr failure;
    int failureLine = 0;
};

std::string joined(const std::vector<std::string>& tokens) {
    std::string text;
    for (const std::string& token : tokens) {
        text += (text.empty() ? "" : " ") + token;
    }
    return text;
}

void duringWait(ScenarioContext& context, Args args) {
    const std::vector<std::string>& tokens = args.all();
    const CommandTable& table = context.commandTable();
    const bool known = table.find(tokens[0]) != nullptr ||
                       (tokens.size() >= 2 && table.find(tokens[0] + " " + tokens[1]) != nullptr);
    if (!known) {
        throw ScriptError("during-wait: unknown command '" + tokens[0] + "'");
    }
    auto queued = std::make_shared<DuringWait::Queued>();
    queued->line = context.line();
    queued->tokens = tokens;
    DuringWait& state = context.extension<DuringWait>();
    state.queued.push_back(queued);
    os::messageLoop().post([&context, queued] {
        queued->ran = true;
        DuringWait& waiting = context.extension<DuringWait>();
        try {
            executeCommand(context, context.commandTable(), queued->tokens);
        } catch (...) {
            if (!waiting.failure) {
                waiting.failure = std::current_exception();
                waiting.failureLine = queued->line;
            }
        }
    });
}

// After each command: a queued command that failed while it ran ends the script as it would
// have on its own line, with that line named.
void reportDuringWaitFailure(ScenarioContext& context) {
    DuringWait* state = context.findExtension<DuringWait>();
    if (state == nullptr) {
        return;
    }
    std::erase_if(state->queued, [](const auto& q) { return q->ran; });
    if (!state->failure) {
        return;
    }
    const std::exception_ptr failure = std::exchange(state->failure, nullptr);
    const std::string from = " (during-wait of line " + std::to_string(state->failureLine) + ")";
    try {
        std::rethrow_exception(failure);
    } catch (const ExpectationFailed& failed) {
        throw ExpectationFailed(failed.expected(), failed.found(), failed.subject() + from);
    } catch (const ScriptError& error) {
        throw ScriptError(error.what() + from);
    } catch (const base::PlatformError& error) {
        throw ScriptError("error " + std::to_string(error.number()) + ": " + error.description() +
                          from);
    } catch (const std::exception& error) {
        throw ScriptError(error.what() + from);
    }
}

// At the end of the script: a queued command whose wait never came is a script fault.
void checkNothingLeftWaiting(ScenarioContext& context) {
    reportDuringWaitFailure(context);
    DuringWait* state = context.findExtension<DuringWait>();
    if (state == nullptr || state->queued.empty()) {
        return;
    }
    const auto& first = state->queued.front();
    throw ScriptError("during-wait of line " + std::to_string(first->line) + " never ran ('" +
                      joined(first->tokens) + "'): no wait came after it");
}

}  // namespace

void registerHostStateCommands(CommandTable& table) {
    table.add({"expect-host calculation", "automatic|manual|semiautomatic",
               "the host's calculation mode", 1, 1, expectCalculation});
    table.add(
        {"expect-host events", "true|false", "whether the host raises events", 1, 1, expectEvents});
    table.add({"expect-host screen-updating", "true|false", "the host's ScreenUpdating", 1, 1,
               expectScreenUpdating});
    table.add({"expect-host status-bar", "false|TEXT",
               "the status bar's text (false: the host's own)", 1, 1, expectStatusBar});
    table.add({"expect-host cursor", "default|wait|arrow|ibeam", "the host's cursor", 1, 1,
               expectCursor});
    table.add({"expect-host cancel-key", "disabled|interrupt|error-handler",
               "the host's EnableCancelKey", 1, 1, expectCancelKey});
    table.add({"expect-selection", "REF",
               "the active sheet's selected cells (<none> when no workbook is open)", 1, 1,
               expectSelection});
    table.add({"during-wait", "COMMAND [ARGS...]",
               "runs the command at the first turn of the message loop of the next wait", 1,
               ScriptCommand::unbounded, duringWait});
    ScriptHooks hooks;
    hooks.afterCommand = reportDuringWaitFailure;
    table.addHooks(std::move(hooks));
    table.addEndCheck(checkNothingLeftWaiting);
}

}  // namespace kavex::tool
