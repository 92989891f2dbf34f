#include "platform/base/DataDirectory.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace kavex::base {

namespace {

constexpr const char* kVariable = "KAVEX_DATA_DIR";

bool holdsData(const std::filesystem::path& folder) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(folder / "schema.sql", ignored);
}

}  // namespace

std::filesystem::path dataDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return dataDirectoryFor(error ? std::filesystem::path() : program, std::getenv(kVariable));
}

std::filesystem::path dataDirectoryFor(const std::filesystem::path& program, const char* named) {
    if (named != nullptr && *named != '\0') {
        if (!holdsData(named)) {
            throw std::runtime_error(std::string(kVariable) + " names '" + named +
                                     "', which holds no schema.sql: it must name Kavex's data "
                                     "folder");
        }
        return named;
    }
    for (std::filesystem::path folder = program.parent_path(); !folder.empty();
         folder = folder.parent_path()) {
        for (const auto& candidate : {folder / "data", folder / "share" / "kavex"}) {
            if (holdsData(candidate)) {
                return candidate;
            }
        }
        if (folder == folder.root_path()) {
            break;
        }
    }
    throw std::runtime_error(
        "cannot find Kavex's data folder (schema.sql, seeds, scenarios): keep a 'data' folder "
        "beside the program or in a folder above it, install it as share/kavex, or name it in " +
        std::string(kVariable));
}

}  // namespace kavex::base
