#pragma once

#include <filesystem>

namespace kavex::base {

// Where the program's data lives (schema.sql, config.sql, seeds/, scenarios/, workbooks/): the
// folder that the environment variable KAVEX_DATA_DIR names; else, from the program's own folder
// upwards, the first "data" or "share/kavex" folder that holds schema.sql. So an installed
// program (bin/kavex beside share/kavex), a program moved together with a data folder beside it,
// and a program in a build folder (which links build/data to the sources' data) all find theirs.
// Throws std::runtime_error saying both ways when there is none, or when KAVEX_DATA_DIR names a
// folder without schema.sql.
std::filesystem::path dataDirectory();

// The same for a program at `program` and a value of KAVEX_DATA_DIR (null: not set).
std::filesystem::path dataDirectoryFor(const std::filesystem::path& program, const char* named);

}  // namespace kavex::base
