#include "tools/kavex/runner/Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/base/DataDirectory.h"

namespace kavex::tool {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw DatabaseCreationError("cannot read " + path.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

void runScript(sqlite3* db, const std::string& script, const std::filesystem::path& source) {
    char* message = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw DatabaseCreationError(source.string() + ": " + reason);
    }
}

}  // namespace

std::filesystem::path dataDirectory() {
    return base::dataDirectory();
}

void createDatabase(const std::filesystem::path& file, const std::filesystem::path& dataDir) {
    const std::filesystem::path schema = dataDir / "schema.sql";
    const std::filesystem::path config = dataDir / "config.sql";
    // Both scripts are read before anything is created, so a missing one leaves no file behind.
    const std::string script = readFile(schema);
    const std::string defaults = readFile(config);

    // O_EXCL makes "refuse an existing file" hold even against a file appearing meanwhile.
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (descriptor < 0) {
        const int error = errno;
        if (error == EEXIST) {
            throw DatabaseCreationError(file.string() +
                                        " already exists; it is left as it is (remove it first "
                                        "to start afresh)");
        }
        throw DatabaseCreationError("cannot create " + file.string() + ": " + std::strerror(error));
    }
    ::close(descriptor);

    try {
        sqlite3* raw = nullptr;
        const int opened = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        std::unique_ptr<sqlite3, SqliteCloser> db(raw);
        if (opened != SQLITE_OK) {
            throw DatabaseCreationError("cannot open " + file.string() + ": " +
                                        (raw != nullptr ? sqlite3_errmsg(raw) : "out of memory"));
        }
        runScript(db.get(), "BEGIN", file);
        runScript(db.get(), script, schema);
        runScript(db.get(), defaults, config);
        runScript(db.get(), "COMMIT", file);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw;
    }
}

}  // namespace kavex::tool
