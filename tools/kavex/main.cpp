#include <array>
#include <csignal>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kavex/runner/Commands.h"

namespace {

struct SubCommand {
    std::string_view name;
    std::string_view summary;
    int (*run)(const std::vector<std::string>&);
};

constexpr std::array subCommands{
    SubCommand{"demo", "runs the demonstration session", kavex::tool::runDemo},
    SubCommand{"run", "runs scenario scripts: kavex run SCRIPT...", kavex::tool::runScenarios},
    SubCommand{"serve", "starts the stand-in web and quote services", kavex::tool::runServe},
    SubCommand{"init-db", "creates DIR/Kavex.mdb: kavex init-db DIR", kavex::tool::runInitDb},
};

int usage(std::ostream& out, int status) {
    out << "usage: kavex COMMAND [ARGS...]   (kavex COMMAND --help for more)\n"
           "       kavex --version\n\n";
    for (const auto& command : subCommands) {
        out << "  " << command.name << std::string(10 - command.name.size(), ' ') << command.summary
            << "\n";
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // A write past the file-size limit the user runs under (ulimit -f, a quota) must reach the
    // program as a failed write, which the save path already reports as it reports a full disk:
    // the message, the close given up, the workbook kept open and the old file untouched. Left at
    // its default, the signal the system sends for such a write ends the process, with whatever
    // was typed. The disposition is set here, by the program that owns the process, rather than in
    // the platform libraries: a library that changed a process-wide signal would do it behind its
    // caller's back, and a program embedding them may want the signal for itself.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2) {
        return usage(std::cerr, 2);
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        return usage(std::cout, 0);
    }
    if (name == "--version") {
        std::cout << "kavex " << KAVEX_VERSION << "\n";
        return 0;
    }
    for (const auto& command : subCommands) {
        if (command.name == name) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::cerr << "kavex: unknown command '" << name << "'\n";
    return usage(std::cerr, 2);
}
