#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kavex::addin::testing {

// A fresh folder per test, removed afterwards; its path as the add-in spells folders ("/" at
// the end).
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix) {
        path_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string withSeparator() const { return path_.string() + "/"; }

    // The lines of a file in the folder; none when it does not exist.
    std::vector<std::string> lines(const std::string& file) const {
        std::vector<std::string> result;
        std::ifstream in(path_ / file);
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        return result;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace kavex::addin::testing
