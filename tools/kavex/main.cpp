#include <array>
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
