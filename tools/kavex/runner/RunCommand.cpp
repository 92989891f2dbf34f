#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/Commands.h"
#include "tools/kavex/runner/Database.h"
#include "tools/kavex/runner/ScenarioRunner.h"

namespace kavex::tool {

namespace {

void printRunHelp(std::ostream& out, const CommandTable& table) {
    out << "usage: kavex run [--realtime] [--trace] [--keep-going] SCRIPT...\n\n"
           "Runs scenario scripts in order, each with a fresh host, in simulated time unless\n"
           "--realtime is given; --trace prints each command before it runs. A SCRIPT of -\n"
           "is read from standard input. The run stops at the first script that does not\n"
           "hold, unless --keep-going runs them all; it ends with a summary line.\n"
           "Exit status: 0 every expectation held; 1 an expectation failed; 2 a script could\n"
           "not run (file:line: reason). The language is described in docs/scenarios.md.\n\n"
           "Commands:\n";
    for (const ScriptCommand* command : table.commands()) {
        std::string head = "  " + command->name;
        if (!command->usage.empty()) {
            head += " " + command->usage;
        }
        out << head;
        if (head.size() < 44) {
            out << std::string(44 - head.size(), ' ');
        } else {
            out << "\n" << std::string(44, ' ');
        }
        out << command->summary << "\n";
    }
}

}  // namespace

int runScenarios(const std::vector<std::string>& args) {
    const CommandTable table = buildCommandTable();
    RunOptions options;
    std::vector<std::string> scripts;
    bool keepGoing = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            printRunHelp(std::cout, table);
            return 0;
        }
        if (!optionsEnded && arg == "--realtime") {
            options.realtime = true;
        } else if (!optionsEnded && arg == "--trace") {
            options.trace = true;
        } else if (!optionsEnded && arg == "--keep-going") {
            keepGoing = true;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.starts_with("-") && arg != "-") {
            std::cerr << "kavex run: unknown option '" << arg << "'\n";
            return static_cast<int>(RunStatus::CouldNotRun);
        } else {
            scripts.push_back(arg);
        }
    }
    if (scripts.empty()) {
        std::cerr << "usage: kavex run [--realtime] [--trace] [--keep-going] SCRIPT...  (kavex run "
                     "--help)\n";
        return static_cast<int>(RunStatus::CouldNotRun);
    }
    ScenarioRunner runner(table, options, std::cout, std::cerr);
    return static_cast<int>(runner.runFiles(scripts, keepGoing));
}

int runDemo(const std::vector<std::string>& args) {
    RunOptions options;
    options.trace = true;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << "usage: kavex demo [--realtime]\n\n"
                         "Runs the demonstration session (data/scenarios/demo.kvs), printing each\n"
                         "step and what the sheets then show.\n";
            return 0;
        }
        if (arg == "--realtime") {
            options.realtime = true;
        } else {
            std::cerr << "kavex demo: unknown argument '" << arg << "'\n";
            return static_cast<int>(RunStatus::CouldNotRun);
        }
    }
    std::filesystem::path script;
    try {
        script = dataDirectory() / "scenarios" / "demo.kvs";
    } catch (const std::exception& error) {
        std::cerr << "kavex demo: " << error.what() << "\n";
        return static_cast<int>(RunStatus::CouldNotRun);
    }
    const CommandTable table = buildCommandTable();
    ScenarioRunner runner(table, options, std::cout, std::cerr);
    return static_cast<int>(runner.runFile(script.string()));
}

}  // namespace kavex::tool
