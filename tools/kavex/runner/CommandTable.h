#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kavex/runner/CommandArgs.h"

namespace kavex::tool {

class ScenarioContext;

// One command of the scenario language.
struct ScriptCommand {
    static constexpr std::size_t unbounded = std::numeric_limits<std::size_t>::max();

    // "expect-value"; or two words, "host version", for a family of commands that share their
    // first word (the second word then is not an argument).
    std::string name;
    std::string usage;    // "REF TEXT" — what follows the name, for messages and --help
    std::string summary;  // one line for --help
    std::size_t minArgs = 0;
    std::size_t maxArgs = unbounded;
    // Throws ScriptError (exit 2), ExpectationFailed (exit 1); any other exception is exit 2.
    std::function<void(ScenarioContext&, const CommandArgs&)> run;
};

// What a command group needs done around each script, e.g. setting the clock before the first
// line or releasing the add-in after the last. Every member is optional.
struct ScriptHooks {
    // Before the first line; the context's options (realtime) are set.
    std::function<void(ScenarioContext&)> start;
    // After each command that completed (not after one that threw).
    std::function<void(ScenarioContext&)> afterCommand;
    // After the last line, whatever the outcome; must not throw.
    std::function<void(ScenarioContext&)> finish;
};

// The commands a run knows, filled by the command groups (CommandGroups.cpp).
//
// Adding a command group:
//   1. Write tools/kavex/runner/XxxCommands.cpp defining
//        void kavex::tool::registerXxxCommands(CommandTable& table) {
//            table.add({"wait", "SECONDS", "lets that much time pass", 1, 1,
//                       [](ScenarioContext& context, const CommandArgs& args) { ... }});
//            table.addHooks({.start = ...});  // only if the group needs them
//        }
//   2. Declare it in CommandGroups.h and call it from the list in CommandGroups.cpp.
//   3. State it shares across commands: a member of ScenarioContext, or, without editing that
//      file, context.extension<MyState>() (created on first use, destroyed with the context).
//   4. Document the commands in docs/scenarios.md.
class CommandTable {
  public:
    // Throws std::logic_error when the name is taken (two groups must not fight over a name).
    void add(ScriptCommand command);
    void addHooks(ScriptHooks hooks);
    // A check after the last line, when every line held; it throws as a command does, for a
    // script that leaves something undone.
    void addEndCheck(std::function<void(ScenarioContext&)> check);

    const ScriptCommand* find(std::string_view name) const;
    // The second words of the two-word commands that begin with first ("host" -> "version", ...).
    std::vector<std::string> secondWords(std::string_view first) const;
    // Sorted by name.
    std::vector<const ScriptCommand*> commands() const;
    const std::vector<ScriptHooks>& hooks() const noexcept { return hooks_; }
    const std::vector<std::function<void(ScenarioContext&)>>& endChecks() const noexcept {
        return endChecks_;
    }

  private:
    std::map<std::string, ScriptCommand, std::less<>> commands_;
    std::vector<ScriptHooks> hooks_;
    std::vector<std::function<void(ScenarioContext&)>> endChecks_;
};

}  // namespace kavex::tool
