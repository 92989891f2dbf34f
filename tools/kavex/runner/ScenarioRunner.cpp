#include "tools/kavex/runner/ScenarioRunner.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/base/PlatformError.h"
#include "tools/kavex/runner/ScriptErrors.h"
#include "tools/kavex/runner/ScriptLexer.h"

namespace kavex::tool {

namespace {

std::string plural(std::size_t count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

void runHooks(ScenarioContext& context, const CommandTable& table,
              std::function<void(ScenarioContext&)> ScriptHooks::*member) {
    for (const ScriptHooks& hooks : table.hooks()) {
        if (hooks.*member) {
            (hooks.*member)(context);
        }
    }
}

// Shows the text of a value on one line, so that a stray blank or line break can be seen.
std::string shown(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
                out += "\"\"";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

}  // namespace

void executeCommand(ScenarioContext& context, const CommandTable& table,
                    const std::vector<std::string>& tokens) {
    if (tokens.empty()) {
        throw ScriptError("a command is missing");
    }
    // A command may be two words ("host version", "test-events on"); the longer name wins.
    std::size_t nameLength = 1;
    const ScriptCommand* command = nullptr;
    if (tokens.size() >= 2) {
        command = table.find(tokens[0] + " " + tokens[1]);
        nameLength = 2;
    }
    if (command == nullptr) {
        command = table.find(tokens[0]);
        nameLength = 1;
    }
    if (command == nullptr) {
        const std::vector<std::string> words = table.secondWords(tokens[0]);
        if (words.empty()) {
            throw ScriptError("unknown command '" + tokens[0] + "'");
        }
        std::string known;
        for (const std::string& word : words) {
            known += (known.empty() ? "" : ", ") + word;
        }
        if (tokens.size() < 2) {
            throw ScriptError(tokens[0] + " needs one of: " + known);
        }
        throw ScriptError(tokens[0] + ": unknown '" + tokens[1] + "' (known: " + known + ")");
    }
    const std::size_t count = tokens.size() - nameLength;
    if (count < command->minArgs || count > command->maxArgs) {
        std::string wanted;
        if (command->minArgs == command->maxArgs) {
            wanted = plural(command->minArgs, "argument");
        } else if (command->maxArgs == ScriptCommand::unbounded) {
            wanted = "at least " + plural(command->minArgs, "argument");
        } else {
            wanted =
                std::to_string(command->minArgs) + " to " + plural(command->maxArgs, "argument");
        }
        throw ScriptError(command->name + " takes " + wanted + ", not " + std::to_string(count) +
                          " (usage: " + command->name +
                          (command->usage.empty() ? "" : " " + command->usage) + ")");
    }
    command->run(context, CommandArgs(command->name,
                                      std::vector<std::string>(
                                          tokens.begin() + static_cast<std::ptrdiff_t>(nameLength),
                                          tokens.end())));
}

ScenarioRunner::ScenarioRunner(const CommandTable& table, RunOptions options, std::ostream& out,
                               std::ostream& report)
    : table_(table), options_(options), out_(out), report_(report) {}

RunStatus ScenarioRunner::runFile(const std::string& path) {
    if (path == "-") {
        return runStream(std::cin, "<stdin>");
    }
    std::ifstream script(path, std::ios::binary);
    if (!script) {
        report_ << path << ": cannot open the script\n";
        return RunStatus::CouldNotRun;
    }
    return runStream(script, path);
}

RunStatus ScenarioRunner::runFiles(const std::vector<std::string>& paths, bool keepGoing) {
    std::size_t failed = 0, couldNotRun = 0;
    RunStatus worst = RunStatus::Held;
    for (const std::string& path : paths) {
        const RunStatus status = runFile(path);
        failed += status == RunStatus::ExpectationFailed ? 1 : 0;
        couldNotRun += status == RunStatus::CouldNotRun ? 1 : 0;
        if (status == RunStatus::CouldNotRun ||
            (status == RunStatus::ExpectationFailed && worst == RunStatus::Held)) {
            worst = status;
        }
        if (status != RunStatus::Held && !keepGoing) {
            return status;
        }
    }
    if (worst == RunStatus::Held) {
        out_ << plural(paths.size(), "script") << ", all held\n";
    } else {
        out_ << plural(paths.size(), "script") << ": " << paths.size() - failed - couldNotRun
             << " held, " << failed << " failed, " << couldNotRun << " could not run\n";
    }
    out_.flush();
    return worst;
}

RunStatus ScenarioRunner::runStream(std::istream& script, const std::string& name) {
    ScenarioContext context(name, options_, out_);
    context.setCommandTable(table_);
    RunStatus status = RunStatus::Held;
    try {
        runHooks(context, table_, &ScriptHooks::start);
    } catch (const std::exception& error) {
        report_ << name << ": the run could not start: " << error.what() << "\n";
        status = RunStatus::CouldNotRun;
    }
    if (status == RunStatus::Held) {
        status = runLines(context, script);
    }
    for (const ScriptHooks& hooks : table_.hooks()) {
        if (hooks.finish) {
            try {
                hooks.finish(context);
            } catch (const std::exception& error) {
                report_ << name << ": while finishing: " << error.what() << "\n";
            }
        }
    }
    out_.flush();
    return status;
}

RunStatus ScenarioRunner::runLines(ScenarioContext& context, std::istream& script) {
    std::string text;
    int number = 0;
    while (std::getline(script, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        // A byte-order mark that an editor put before the first line is not part of it.
        if (number == 1 && text.starts_with("\xEF\xBB\xBF")) {
            text.erase(0, 3);
        }
        context.setLine(number);
        const std::string where = context.location();
        try {
            std::vector<std::string> tokens;
            try {
                tokens = splitScriptLine(text);
            } catch (const LexError& error) {
                throw ScriptError("column " + std::to_string(error.column()) + ": " + error.what());
            }
            if (tokens.empty()) {
                continue;
            }
            // Narration (echo) is printed by the command itself; tracing it would say it twice.
            if (context.options().trace && tokens.front() != "echo") {
                out_ << "> " << text.substr(text.find_first_not_of(" \t")) << "\n";
            }
            executeCommand(context, table_, tokens);
            runHooks(context, table_, &ScriptHooks::afterCommand);
            if (const std::string failure = context.takeHandlerFailure(); !failure.empty()) {
                throw ScriptError(failure);
            }
        } catch (const ExpectationFailed& failure) {
            out_.flush();
            report_ << where << ": expectation failed: " << text << "\n";
            if (!failure.subject().empty()) {
                report_ << "  subject:  " << failure.subject() << "\n";
            }
            report_ << "  expected: " << shown(failure.expected()) << "\n"
                    << "  found:    " << shown(failure.found()) << "\n";
            return RunStatus::ExpectationFailed;
        } catch (const ScriptError& error) {
            out_.flush();
            report_ << where << ": " << error.what() << "\n";
            return RunStatus::CouldNotRun;
        } catch (const base::PlatformError& error) {
            out_.flush();
            report_ << where << ": error " << error.number() << ": " << error.description() << "\n";
            return RunStatus::CouldNotRun;
        } catch (const std::exception& error) {
            out_.flush();
            report_ << where << ": " << error.what() << "\n";
            return RunStatus::CouldNotRun;
        } catch (...) {
            out_.flush();
            report_ << where << ": the command failed with an unknown exception\n";
            return RunStatus::CouldNotRun;
        }
    }
    if (script.bad()) {
        report_ << context.file() << ": the script could not be read\n";
        return RunStatus::CouldNotRun;
    }
    try {
        for (const auto& check : table_.endChecks()) {
            check(context);
        }
    } catch (const ExpectationFailed& failure) {
        out_.flush();
        report_ << context.file() << ": at the end of the script: expectation failed\n";
        if (!failure.subject().empty()) {
            report_ << "  subject:  " << failure.subject() << "\n";
        }
        report_ << "  expected: " << shown(failure.expected()) << "\n"
                << "  found:    " << shown(failure.found()) << "\n";
        return RunStatus::ExpectationFailed;
    } catch (const std::exception& error) {
        out_.flush();
        report_ << context.file() << ": at the end of the script: " << error.what() << "\n";
        return RunStatus::CouldNotRun;
    }
    return RunStatus::Held;
}

}  // namespace kavex::tool
