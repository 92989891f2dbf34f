// Time, dialogs, bars and browser: the commands that let time pass on the machine's clock, answer
// the message boxes and forms the add-in shows, and check what was shown, the command bars and
// the browser. The group owns the clock: simulated from the start of each script (the real time
// then) unless the run is --realtime, or from `host now`.

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/browser/BrowserRecord.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Screen.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/office/CommandBars.h"
#include "platform/os/Clock.h"
#include "platform/os/MachineZone.h"
#include "platform/os/MessageLoop.h"
#include "platform/os/Registry.h"
#include "platform/os/Windows.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

using Args = const CommandArgs&;

// Where expect-message and expect-no-message start looking: just after the message the previous
// expect-message matched.
struct MessageCursor {
    std::size_t next = 0;
};

std::string quotedList(const std::vector<forms::MessageRecord>& messages, std::size_t from) {
    if (from >= messages.size()) {
        return "<no message>";
    }
    std::string out;
    for (std::size_t i = from; i < messages.size(); ++i) {
        out += (out.empty() ? "" : " | ") + messages[i].prompt;
    }
    return out;
}

void waitSeconds(ScenarioContext&, Args args) {
    const double seconds = args.number(0, "SECONDS");
    if (seconds < 0) {
        args.fail("SECONDS must not be negative");
    }
    os::messageLoop().runFor(seconds);
}

void answerButton(ScenarioContext& context, Args args) {
    const int button = forms::buttonFromName(args[0]);
    if (button == 0) {
        args.fail("BUTTON must be OK, Cancel, Yes, No, Abort, Retry or Ignore, not '" + args[0] +
                  "'");
    }
    forms::scriptedDriver().queueAnswer(button, context.location());
}

void answerSaveAs(ScenarioContext& context, Args args) {
    if (base::equalsIgnoringCase(args[0], "cancel")) {
        forms::scriptedDriver().queueSaveAs(std::nullopt, context.location());
        return;
    }
    forms::scriptedDriver().queueSaveAs(context.resolvePath(args[0]).string(), context.location());
}

void formActions(ScenarioContext& context, Args args) {
    const std::string& formName = args[0];
    std::vector<forms::FormAction> actions;
    std::size_t i = 1;
    if (args.size() < 2) {
        args.fail("at least one action is needed (set, choose, option, click)");
    }
    while (i < args.size()) {
        const std::string verb = base::toLowerAscii(args[i]);
        forms::FormAction action;
        action.origin = context.location();
        std::size_t needed = 0;
        if (verb == "set") {
            action.kind = forms::FormAction::Kind::Set;
            needed = 2;
        } else if (verb == "choose") {
            action.kind = forms::FormAction::Kind::Choose;
            needed = 2;
        } else if (verb == "option") {
            action.kind = forms::FormAction::Kind::Option;
            needed = 1;
        } else if (verb == "click") {
            action.kind = forms::FormAction::Kind::Click;
            needed = 1;
        } else {
            args.fail("unknown action '" + args[i] +
                      "' (set CONTROL VALUE, choose CONTROL INDEX, "
                      "option CONTROL, click CONTROL)");
        }
        if (i + needed >= args.size()) {
            args.fail(verb + " needs " + (needed == 2 ? "a control and a value" : "a control"));
        }
        action.control = args[i + 1];
        if (needed == 2) {
            action.value = args[i + 2];
            if (action.kind == forms::FormAction::Kind::Choose) {
                args.integer(i + 2, "INDEX");
            }
        }
        actions.push_back(std::move(action));
        i += needed + 1;
    }
    forms::scriptedDriver().queueFormActions(formName, std::move(actions));
}

void expectMessage(ScenarioContext& context, Args args) {
    auto& cursor = context.extension<MessageCursor>();
    const auto& messages = forms::scriptedDriver().messages();
    const std::size_t from = cursor.next;
    for (std::size_t i = from; i < messages.size(); ++i) {
        if (messages[i].prompt == args[0]) {
            // The next expectation looks after this message, so that several messages of one
            // command are checked one by one, in order.
            cursor.next = i + 1;
            return;
        }
    }
    cursor.next = messages.size();
    throw ExpectationFailed(args[0], quotedList(messages, from), "message boxes shown");
}

void expectMessageStyle(ScenarioContext&, Args args) {
    const auto& messages = forms::scriptedDriver().messages();
    const long long style = args.integer(1, "STYLE");
    const std::string expected = "title \"" + args[0] + "\", style " + std::to_string(style);
    if (messages.empty()) {
        throw ExpectationFailed(expected, "<no message>", "the last message box");
    }
    const auto& last = messages.back();
    expectEqual("the last message box (" + last.prompt + ")", expected,
                "title \"" + last.title + "\", style " + std::to_string(last.style));
}

void expectNoMessage(ScenarioContext& context, Args) {
    const auto* cursor = context.findExtension<MessageCursor>();
    const std::size_t from = cursor ? cursor->next : 0;
    const auto& messages = forms::scriptedDriver().messages();
    if (messages.size() > from) {
        throw ExpectationFailed("<no message>", quotedList(messages, from), "message boxes shown");
    }
}

// The controls of a bar, popups' controls included, depth first.
void collectControls(const std::vector<std::shared_ptr<office::CommandBarControl>>& controls,
                     std::vector<std::shared_ptr<office::CommandBarControl>>& out) {
    for (const auto& control : controls) {
        out.push_back(control);
        if (auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(control)) {
            collectControls(popup->Controls().All(), out);
        }
    }
}

std::string withoutAccelerator(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        out += caption[i];
    }
    return out;
}

std::string flagText(bool value) {
    return value ? "true" : "false";
}

void expectBar(ScenarioContext&, Args args) {
    const std::string& barName = args[0];
    const std::string& controlName = args[1];
    std::shared_ptr<office::CommandBar> bar;
    try {
        bar = addin::core::ExcelCommandBars.Item(barName);
    } catch (const base::PlatformError&) {
    }
    if (!bar || bar->isDeleted()) {
        throw ExpectationFailed("a command bar " + barName, "none");
    }
    std::vector<std::shared_ptr<office::CommandBarControl>> controls;
    collectControls(bar->Controls().All(), controls);
    std::shared_ptr<office::CommandBarControl> control;
    for (const auto& candidate : controls) {
        if (base::equalsIgnoringCase(candidate->Parameter(), controlName) ||
            base::equalsIgnoringCase(candidate->Tag(), controlName) ||
            base::equalsIgnoringCase(candidate->Caption(), controlName) ||
            base::equalsIgnoringCase(withoutAccelerator(candidate->Caption()), controlName)) {
            control = candidate;
            break;
        }
    }
    if (!control && !controlName.empty() &&
        std::all_of(controlName.begin(), controlName.end(),
                    [](unsigned char c) { return std::isdigit(c); })) {
        const auto index = static_cast<std::size_t>(std::stoul(controlName));
        const auto top = bar->Controls().All();
        if (index >= 1 && index <= top.size()) {
            control = top[index - 1];
        }
    }
    if (!control) {
        throw ExpectationFailed("a control " + controlName + " on the bar " + barName, "none");
    }
    const auto button = std::dynamic_pointer_cast<office::CommandBarButton>(control);
    const auto combo = std::dynamic_pointer_cast<office::CommandBarComboBox>(control);
    for (const auto& [key, expected] : args.keyValues(2)) {
        const std::string name = base::toLowerAscii(key);
        const std::string subject = name + " of " + controlName + " on " + barName;
        std::string found;
        std::string wantedValue = expected;
        if (name == "caption") {
            found = control->Caption();
        } else if (name == "parameter") {
            found = control->Parameter();
        } else if (name == "tooltip") {
            found = control->TooltipText();
        } else if (name == "tag") {
            found = control->Tag();
        } else if (name == "enabled" || name == "visible") {
            found = flagText(name == "enabled" ? control->Enabled() : control->Visible());
            const auto flag = flagWord(expected);
            if (!flag) {
                args.fail(key + " takes true or false, not '" + expected + "'");
            }
            wantedValue = flagText(*flag);
        } else if (name == "faceid") {
            if (!button) {
                throw ExpectationFailed("a button", "another kind of control", subject);
            }
            found = std::to_string(button->FaceId());
        } else if (name == "listindex" || name == "text") {
            if (!combo) {
                throw ExpectationFailed("a combo box", "another kind of control", subject);
            }
            found = name == "text" ? combo->Text() : std::to_string(combo->ListIndex());
        } else {
            args.fail("unknown key '" + key +
                      "' (caption, parameter, tooltip, tag, faceid, enabled, visible, listindex, "
                      "text)");
        }
        expectEqual(subject, wantedValue, found);
    }
}

void expectBrowser(ScenarioContext&, Args args) {
    const std::string last = browser::lastOpenedAddress();
    expectEqual("the last address opened in the browser", args[0], last.empty() ? "<none>" : last);
}

void hostNow(ScenarioContext&, Args args) {
    const auto date = base::parseDate(args[0]);
    if (!date) {
        args.fail("'" + args[0] + "' is not a date and time (e.g. \"2024-06-12 09:30:00\")");
    }
    os::machineClock().startSimulation(*date);
}

void hostTimezone(ScenarioContext&, Args args) {
    if (!os::isKnownTimeZone(args[0])) {
        args.fail("'" + args[0] + "' is not a time zone (e.g. America/New_York)");
    }
    os::setMachineTimeZone(args[0]);
}

void startScript(ScenarioContext& context) {
    forms::useScriptedDriver();
    forms::scriptedDriver().reset();
    forms::screen().reset();
    os::messageLoop().reset();
    os::resetMachineTimeZone();
    os::registry().reset();
    os::resetWindows();
    browser::resetBrowserRecord();
    if (context.options().realtime) {
        os::machineClock().useRealTime();
    } else {
        os::machineClock().startSimulationUtc(
            std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count());
    }
}

// A dialog failure that some handler caught and swallowed still ends the script.
void checkDialogs(ScenarioContext&) {
    if (const auto& failure = forms::scriptedDriver().failure()) {
        std::string reason = failure->what();
        forms::scriptedDriver().clearFailure();
        throw ScriptError(reason);
    }
}

// An answer or form actions still queued at the end: the dialog the script expected never came.
void endScript(ScenarioContext& context) {
    const auto unused = forms::scriptedDriver().unused();
    if (unused.empty()) {
        return;
    }
    const auto& first = unused.front();
    throw ScriptError(first.what + " queued at " +
                      (first.origin.empty() ? context.file() : first.origin) +
                      " was never used: no dialog asked for it");
}

void finishScript(ScenarioContext&) noexcept {
    try {
        os::messageLoop().reset();
    } catch (...) {
    }
}

}  // namespace

void registerDialogTimeCommands(CommandTable& table) {
    table.add({"wait", "SECONDS", "lets that much time pass with the message loop running", 1, 1,
               waitSeconds});
    table.add({"answer", "OK|Cancel|Yes|No|Abort|Retry|Ignore",
               "answers the next message box that offers a choice", 1, 1, answerButton});
    table.add(
        {"answer save-as", "FILE|cancel", "answers the next Save As dialog", 1, 1, answerSaveAs});
    table.add({"form", "NAME ACTION...",
               "actions for the next time the form is shown: set CONTROL VALUE, choose CONTROL "
               "INDEX, option CONTROL, click CONTROL",
               2, ScriptCommand::unbounded, formActions});
    table.add({"expect-message", "TEXT",
               "a message box with exactly TEXT was shown since the previous expect-message", 1, 1,
               expectMessage});
    table.add({"expect-message-style", "TITLE STYLE",
               "the last message box had that title and style value", 2, 2, expectMessageStyle});
    table.add({"expect-no-message", "",
               "no message box was shown since the previous expect-message", 0, 0,
               expectNoMessage});
    table.add({"expect-bar", "BAR CONTROL KEY=VALUE...",
               "a command-bar control's caption, parameter, tooltip, tag, faceid, enabled, "
               "visible, listindex, text",
               3, ScriptCommand::unbounded, expectBar});
    table.add(
        {"expect-browser", "TEXT", "the last address opened in the browser", 1, 1, expectBrowser});
    table.add({"host now", "DATE-TIME", "the machine's local time; starts simulated time there", 1,
               1, hostNow});
    table.add(
        {"host timezone", "ZONE", "the machine's time zone (an IANA zone)", 1, 1, hostTimezone});
    ScriptHooks hooks;
    hooks.start = startScript;
    hooks.afterCommand = checkDialogs;
    hooks.finish = finishScript;
    table.addHooks(std::move(hooks));
    table.addEndCheck(endScript);
}

}  // namespace kavex::tool
