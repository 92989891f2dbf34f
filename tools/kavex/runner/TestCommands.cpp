// Commands that exist only to test the host before the add-in drives it: a worksheet function
// with a known answer, a sink that records the host's events, and ways to set up the look,
// names and protection of cells that a user's actions cannot reach.

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScriptErrors.h"
#include "tools/kavex/runner/StyleKeys.h"

namespace kavex::tool {

namespace {

using Args = const CommandArgs&;

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : "; ") + item;
    }
    return text;
}

// ---- events ----

// The events that a handler may cancel, under the names scripts use.
const std::set<std::string> kCancellable = {"SheetBeforeRightClick", "WorkbookBeforeClose",
                                            "WorkbookBeforeSave"};

class RecordingSink : public sheet::ApplicationEvents {
  public:
    std::vector<std::string> events;
    std::set<std::string> cancelling;

    void sheetBeforeRightClick(sheet::Worksheet, sheet::Range target, bool& cancel) override {
        record("SheetBeforeRightClick", cellName(target), cancel);
    }
    void sheetChange(sheet::Worksheet, sheet::Range target) override {
        record("SheetChange", cellName(target));
    }
    void sheetDeactivate(sheet::Worksheet sheet) override {
        record("SheetDeactivate", sheet.name());
    }
    void sheetFollowHyperlink(sheet::Worksheet, sheet::Hyperlink link) override {
        record("SheetFollowHyperlink", cellName(link.range()));
    }
    void workbookAddinInstall(sheet::Workbook workbook) override {
        record("WorkbookAddinInstall", workbook.name());
    }
    void workbookAddinUninstall(sheet::Workbook workbook) override {
        record("WorkbookAddinUninstall", workbook.name());
    }
    void workbookBeforeClose(sheet::Workbook workbook, bool& cancel) override {
        record("WorkbookBeforeClose", workbook.name(), cancel);
    }
    void workbookBeforeSave(sheet::Workbook workbook, bool, bool& cancel) override {
        record("WorkbookBeforeSave", workbook.name(), cancel);
    }
    void workbookDeactivate(sheet::Workbook workbook) override {
        record("WorkbookDeactivate", workbook.name());
    }
    void sheetActivate(sheet::Worksheet sheet) override { record("SheetActivate", sheet.name()); }
    void workbookActivate(sheet::Workbook workbook) override {
        record("WorkbookActivate", workbook.name());
    }
    void sheetSelectionChange(sheet::Worksheet, sheet::Range target) override {
        record("SheetSelectionChange", cellName(target));
    }
    void workbookOpen(sheet::Workbook workbook) override {
        record("WorkbookOpen", workbook.name());
    }

  private:
    void record(const char* event, const std::string& subject) {
        events.push_back(std::string(event) + " " + subject);
    }
    void record(const char* event, const std::string& subject, bool& cancel) {
        record(event, subject);
        if (cancelling.contains(event)) {
            cancel = true;
        }
    }
};

struct EventRecording {
    std::shared_ptr<RecordingSink> sink;
};

RecordingSink& recordingSink(ScenarioContext& context) {
    EventRecording* recording = context.findExtension<EventRecording>();
    if (recording == nullptr || !recording->sink) {
        throw ScriptError("events are not being recorded (use test-events on first)");
    }
    return *recording->sink;
}

void eventsOn(ScenarioContext& context, Args) {
    EventRecording& recording = context.extension<EventRecording>();
    if (recording.sink) {
        recording.sink->events.clear();
        recording.sink->cancelling.clear();
        return;
    }
    recording.sink = std::make_shared<RecordingSink>();
    context.application().addEventSink(recording.sink);
}

void eventsOff(ScenarioContext& context, Args) {
    EventRecording& recording = context.extension<EventRecording>();
    if (recording.sink) {
        context.application().removeEventSink(recording.sink.get());
        recording.sink.reset();
    }
}

void eventsCancel(ScenarioContext& context, Args args) {
    RecordingSink& sink = recordingSink(context);
    if (!kCancellable.contains(args[0])) {
        args.fail(
            "EVENT must be SheetBeforeRightClick, WorkbookBeforeClose or "
            "WorkbookBeforeSave, not '" +
            args[0] + "'");
    }
    sink.cancelling.insert(args[0]);
}

void expectEvents(ScenarioContext& context, Args args) {
    RecordingSink& sink = recordingSink(context);
    const std::vector<std::string> found = std::move(sink.events);
    sink.events.clear();
    const std::vector<std::string>& expected = args.all();
    if (found != expected) {
        throw ExpectationFailed(expected.empty() ? "<none>" : joined(expected),
                                found.empty() ? "<none>" : joined(found),
                                "the events since the last expect-events");
    }
}

// ---- worksheet functions ----

using CallCounts = std::map<std::string, long long>;

struct TestFunctions {
    std::shared_ptr<CallCounts> calls = std::make_shared<CallCounts>();
};

base::Variant constantResult(const std::string& text) {
    if (const auto number = base::parseNumber(text)) {
        return *number;
    }
    return text;
}

void testFunction(ScenarioContext& context, Args args) {
    const std::string& name = args[0];
    const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
    }) && std::isalpha(static_cast<unsigned char>(name[0]));
    if (!plain) {
        args.fail("NAME must be letters, digits, '_' or '.', starting with a letter, not '" + name +
                  "'");
    }
    const std::string result = args[1];
    const std::string key = base::toLowerAscii(name);
    std::shared_ptr<CallCounts> calls = context.extension<TestFunctions>().calls;
    (*calls)[key] = 0;
    context.application().registerFunction(
        name, [calls, key, result](const std::vector<formula::Argument>& arguments) {
            const long long count = ++(*calls)[key];
            if (result == "@arg") {
                return arguments.empty() ? base::Variant() : arguments.front().value;
            }
            if (result == "@args") {
                std::string text;
                for (std::size_t i = 0; i < arguments.size(); ++i) {
                    text += (i == 0 ? "" : ",") + valueText(arguments[i].value);
                }
                return base::Variant(text);
            }
            if (result == "@calls") {
                return base::Variant(count);
            }
            return constantResult(result);
        });
}

void expectCalls(ScenarioContext& context, Args args) {
    const long long expected = args.integer(1, "COUNT");
    const TestFunctions* functions = context.findExtension<TestFunctions>();
    const auto found = functions == nullptr ? nullptr : functions->calls.get();
    const auto it =
        found == nullptr ? CallCounts::const_iterator() : found->find(base::toLowerAscii(args[0]));
    if (found == nullptr || it == found->end()) {
        throw ScriptError("no test function is named '" + args[0] + "'");
    }
    expectEqual("the calls of " + args[0], std::to_string(expected), std::to_string(it->second));
}

// ---- set-up of what users cannot do by typing ----

void testStyle(ScenarioContext& context, Args args) {
    const sheet::Range range = resolveReference(context, args[0]);
    for (const auto& [key, value] : args.keyValues(1)) {
        writeStyle(range, key, value);
    }
}

void testSpan(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    const TextSpan span = spanArguments(args, 1);
    for (const auto& [key, value] : args.keyValues(3)) {
        writeStyle(cell, key, value, span);
    }
}

void testName(ScenarioContext& context, Args args) {
    const std::string& refersTo = args[1];
    activeWorkbook(context).names().add(args[0],
                                        refersTo.starts_with("=") ? refersTo : "=" + refersTo);
}

void testSheet(ScenarioContext& context, Args args) {
    activeWorkbook(context).worksheets().add(args[0]);
}

void testProtect(ScenarioContext& context, Args args) {
    resolveSheet(context, args[0]).protect(args.get(1, ""));
}

void testUnprotect(ScenarioContext& context, Args args) {
    resolveSheet(context, args[0]).unprotect(args.get(1, ""));
}

void testCalculate(ScenarioContext& context, Args args) {
    if (args.empty()) {
        context.application().calculate();
    } else {
        resolveReference(context, args[0]).calculate();
    }
}

}  // namespace

void registerTestCommands(CommandTable& table) {
    table.add(
        {"test-events on", "", "(test) records the host's events from now on", 0, 0, eventsOn});
    table.add({"test-events off", "", "(test) stops recording events", 0, 0, eventsOff});
    table.add({"test-events cancel", "EVENT",
               "(test) the recording sink cancels that event from now on", 1, 1, eventsCancel});
    table.add({"expect-events", "[EVENT...]",
               "(test) exactly these events were raised since the last expect-events", 0,
               ScriptCommand::unbounded, expectEvents});
    table.add({"test-function", "NAME RESULT",
               "(test) registers a worksheet function answering RESULT (@arg, @args, @calls)", 2, 2,
               testFunction});
    table.add({"expect-calls", "NAME COUNT", "(test) how often a test function was called", 2, 2,
               expectCalls});
    table.add({"test-style", "REF KEY=VALUE...", "(test) sets the look of cells", 2,
               ScriptCommand::unbounded, testStyle});
    table.add({"test-span", "REF START LENGTH KEY=VALUE...",
               "(test) sets the font of a span of a cell's text", 4, ScriptCommand::unbounded,
               testSpan});
    table.add({"test-name", "NAME REFERS-TO", "(test) defines a name in the active workbook", 2, 2,
               testName});
    table.add(
        {"test-sheet", "NAME", "(test) adds a sheet to the active workbook", 1, 1, testSheet});
    table.add({"test-protect", "SHEET [PASSWORD]", "(test) protects a sheet", 1, 2, testProtect});
    table.add(
        {"test-unprotect", "SHEET [PASSWORD]", "(test) unprotects a sheet", 1, 2, testUnprotect});
    table.add({"test-calculate", "[REF]", "(test) recalculates the cells, or what is dirty", 0, 1,
               testCalculate});
}

}  // namespace kavex::tool
