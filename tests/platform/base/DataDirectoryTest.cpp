#include "platform/base/DataDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>

namespace kavex::base {
namespace {

namespace fs = std::filesystem;

class DataDirectoryTest : public ::testing::Test {
  protected:
    DataDirectoryTest()
        : root(fs::temp_directory_path() /
               ("kavex-data-dir-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::remove_all(root);
    }
    ~DataDirectoryTest() override { fs::remove_all(root); }

    // A file (and the folders above it).
    fs::path touch(const fs::path& relative) {
        const fs::path file = root / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "\n";
        return file;
    }

    static std::string failure(const fs::path& program, const char* named) {
        try {
            dataDirectoryFor(program, named);
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "found";
    }

    fs::path root;
};

TEST_F(DataDirectoryTest, AnInstalledOrMovedProgramFindsTheDataBesideIt) {
    const fs::path installed = touch("usr/bin/kavex");
    touch("usr/share/kavex/schema.sql");
    EXPECT_EQ(dataDirectoryFor(installed, nullptr), root / "usr/share/kavex");

    const fs::path moved = touch("tools/kavex");
    touch("tools/data/schema.sql");
    EXPECT_EQ(dataDirectoryFor(moved, nullptr), root / "tools/data");
    EXPECT_EQ(dataDirectoryFor(moved, ""), root / "tools/data");  // empty counts as unset

    // In a build folder the data is a few folders up.
    const fs::path built = touch("build/tools/kavex/kavex");
    touch("build/data/schema.sql");
    EXPECT_EQ(dataDirectoryFor(built, nullptr), root / "build/data");
}

TEST_F(DataDirectoryTest, TheEnvironmentVariableWinsAndMustNameTheData) {
    const fs::path moved = touch("tools/kavex");
    touch("tools/data/schema.sql");
    touch("elsewhere/schema.sql");
    const std::string elsewhere = (root / "elsewhere").string();
    EXPECT_EQ(dataDirectoryFor(moved, elsewhere.c_str()), root / "elsewhere");

    const std::string empty = (root / "tools").string();
    EXPECT_EQ(failure(moved, empty.c_str()),
              "KAVEX_DATA_DIR names '" + empty +
                  "', which holds no schema.sql: it must name Kavex's data folder");
}

TEST_F(DataDirectoryTest, NoDataIsAClearError) {
    const fs::path alone = touch("alone/bin/kavex");
    touch("alone/data/readme.txt");  // a data folder without the schema is not ours
    const std::string reason = failure(alone, nullptr);
    EXPECT_EQ(reason.rfind("cannot find Kavex's data folder", 0), 0u) << reason;
    EXPECT_NE(reason.find("KAVEX_DATA_DIR"), std::string::npos) << reason;
}

}  // namespace
}  // namespace kavex::base
