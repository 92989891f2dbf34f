#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kavex::tool {

// The data folder the program finds (see base::dataDirectory).
std::filesystem::path dataDirectory();

// A database that could not be made; nothing is left behind at the path.
class DatabaseCreationError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Creates a fresh Kavex.mdb at `file` from schema.sql and config.sql of `dataDir`: the tables of
// the add-in and the configuration defaults. Never overwrites: an existing file (or anything else
// at that path) is refused. Throws DatabaseCreationError naming the file and the reason; a failure
// half-way removes the partial file.
void createDatabase(const std::filesystem::path& file,
                    const std::filesystem::path& dataDir = dataDirectory());

}  // namespace kavex::tool
