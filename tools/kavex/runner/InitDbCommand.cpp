#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/kavex/runner/Commands.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::tool {

namespace {

constexpr const char* initDbUsage =
    "usage: kavex init-db DIR\n"
    "\n"
    "Creates DIR/Kavex.mdb, the add-in's database: its tables and the default configuration.\n"
    "DIR is made when it does not exist. An existing Kavex.mdb is never overwritten.\n"
    "The tables and defaults come from schema.sql and config.sql of the data folder: beside\n"
    "the program (data/, or share/kavex/ once installed) or named by KAVEX_DATA_DIR.\n";

}  // namespace

int runInitDb(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << initDbUsage;
        return 0;
    }
    if (args.size() != 1 || args[0].empty() || args[0].starts_with("-")) {
        std::cerr << initDbUsage;
        return 2;
    }
    const std::filesystem::path directory = args[0];
    const std::filesystem::path file = directory / "Kavex.mdb";
    try {
        // Found first: without its data the command leaves nothing behind.
        const std::filesystem::path data = dataDirectory();
        std::error_code error;
        std::filesystem::create_directories(directory, error);
        if (error) {
            std::cerr << "kavex init-db: cannot create " << directory.string() << ": "
                      << error.message() << "\n";
            return 1;
        }
        createDatabase(file, data);
    } catch (const std::exception& error) {
        std::cerr << "kavex init-db: " << error.what() << "\n";
        return 1;
    }
    std::cout << "Created " << file.string() << "\n";
    return 0;
}

}  // namespace kavex::tool
