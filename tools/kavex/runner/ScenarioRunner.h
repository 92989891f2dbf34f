#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "tools/kavex/runner/CommandTable.h"
#include "tools/kavex/runner/ScenarioContext.h"

namespace kavex::tool {

// Runs one command line (name and arguments) in a context: checks the name and the number of
// arguments, then runs it. Throws ScriptError, ExpectationFailed or whatever the command throws.
void executeCommand(ScenarioContext& context, const CommandTable& table,
                    const std::vector<std::string>& tokens);

// The exit status of `kavex run`.
enum class RunStatus {
    Held = 0,               // every line ran and every expectation held
    ExpectationFailed = 1,  // an expectation failed; the run stopped there
    CouldNotRun = 2,        // unknown command, wrong arguments, unresolved reference, error
};

// Runs scenario scripts with the commands of a table. Each script gets a fresh ScenarioContext;
// a script stops at its first failing line. A script also fails when an answer or form actions it
// queued were never used. A run of several scripts stops at the first script that does not hold,
// unless asked to keep going. Reports go to `report` (file:line: reason / expected / found).
class ScenarioRunner {
  public:
    ScenarioRunner(const CommandTable& table, RunOptions options, std::ostream& out,
                   std::ostream& report);

    // "-" is the standard input.
    RunStatus runFile(const std::string& path);
    // name is what reports call the script.
    RunStatus runStream(std::istream& script, const std::string& name);
    // Runs the scripts in order and prints a one-line summary ("15 scripts, all held"). Without
    // keepGoing the run stops at the first script that does not hold; with it every script runs
    // and the status is the worst of them (could not run over failed over held).
    RunStatus runFiles(const std::vector<std::string>& paths, bool keepGoing = false);

  private:
    RunStatus runLines(ScenarioContext& context, std::istream& script);

    const CommandTable& table_;
    RunOptions options_;
    std::ostream& out_;
    std::ostream& report_;
};

}  // namespace kavex::tool
