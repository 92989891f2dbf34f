#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/db/Connection.h"

namespace kavex::db::testing {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A temporary folder holding a fresh Kavex.mdb made from the project's schema and configuration
// defaults, removed again at the end of the test.
class FreshDatabase {
  public:
    FreshDatabase() {
        static int counter = 0;
        folder_ = std::filesystem::temp_directory_path() /
                  ("kavex-db-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(folder_);
        path_ = folder_ / "Kavex.mdb";
        sqlite3* handle = nullptr;
        if (sqlite3_open(path_.c_str(), &handle) != SQLITE_OK) {
            throw std::runtime_error("cannot create the test database");
        }
        const std::filesystem::path data = std::filesystem::path(KAVEX_SOURCE_DIR) / "data";
        for (const char* file : {"schema.sql", "config.sql"}) {
            const std::string sql = readFile(data / file);
            char* message = nullptr;
            if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
                std::string text = message != nullptr ? message : "?";
                sqlite3_free(message);
                sqlite3_close(handle);
                throw std::runtime_error(std::string(file) + ": " + text);
            }
        }
        sqlite3_close(handle);
    }
    ~FreshDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    FreshDatabase(const FreshDatabase&) = delete;
    FreshDatabase& operator=(const FreshDatabase&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& path() const { return path_; }

    // The add-in's connection string for this file.
    std::string connectionString() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_.string() +
               ";Jet OLEDB:Database Password=kavex";
    }

  private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

}  // namespace kavex::db::testing
