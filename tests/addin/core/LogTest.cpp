#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/forms/DialogDriver.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::addin::core {
namespace {

class WriteLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCoreGlobals();
        AddInPath = folder_.withSeparator();
    }
    void TearDown() override { ResetCoreGlobals(); }

    std::vector<std::string> logLines() const { return folder_.lines("KavexLog.txt"); }

    testing::TempFolder folder_{"kavex-log"};
};

TEST_F(WriteLogTest, WritesDateTimeProcedureAndMessageSeparatedByTabs) {
    LogLevel = 3;
    WriteLog("OpenDBConnection", 1, "Database x file does not exist.");

    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    const auto fields = SplitString(lines[0], "\t");
    ASSERT_EQ(fields.size(), 3u) << lines[0];
    EXPECT_TRUE(base::IsDate(base::Variant(fields[0]))) << fields[0];
    EXPECT_EQ(fields[1], "OpenDBConnection");
    EXPECT_EQ(fields[2], "Database x file does not exist.");
}

TEST_F(WriteLogTest, AFailedStepIsLoggedAndTheProcedureGoesOn) {
    LogLevel = 1;
    bool nextStepRan = false;
    RunStep("ShutdownAddIn", "removing the bars",
            [] { throw base::PlatformError(5, "Invalid procedure call or argument"); });
    RunStep("ShutdownAddIn", "releasing the tables", [&] { nextStepRan = true; });
    EXPECT_TRUE(nextStepRan);

    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\tShutdownAddIn\tError while removing the bars Error description : "
                            "(5) Invalid procedure call or argument"),
              std::string::npos)
        << lines[0];
    // A dialog nobody answered belongs to the script, not to the add-in: it is not swallowed.
    EXPECT_THROW(RunStep("P", "asking", [] { throw forms::DialogFailure("unanswered"); }),
                 forms::DialogFailure);
}

TEST_F(WriteLogTest, AppendsOneLinePerCall) {
    LogLevel = 2;
    WriteLog("A", 1, "first");
    WriteLog("B", 2, "second");
    WriteLog("C", 1, "third");

    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("\tA\tfirst"), std::string::npos);
    EXPECT_NE(lines[1].find("\tB\tsecond"), std::string::npos);
    EXPECT_NE(lines[2].find("\tC\tthird"), std::string::npos);
}

TEST_F(WriteLogTest, WritesOnlyLevelsAtOrBelowTheConfiguredOne) {
    LogLevel = 2;
    WriteLog("P", 1, "error");
    WriteLog("P", 2, "detail");
    WriteLog("P", 3, "trace");

    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("error"), std::string::npos);
    EXPECT_NE(lines[1].find("detail"), std::string::npos);
}

TEST_F(WriteLogTest, WritesNothingBeforeTheConfigurationIsRead) {
    WriteLog("P", 1, "error before login");
    WriteLog("P", 0, "a level no configured LOG_LEVEL 0 lets through");
    WriteLog("P", -1, "nor this one");
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "KavexLog.txt"));
}

TEST_F(WriteLogTest, NeverFailsWhenTheFolderCannotBeWritten) {
    LogLevel = 3;
    AddInPath = "/dev/null/no-such-folder/";
    EXPECT_NO_THROW(WriteLog("P", 1, "lost"));

    // A folder where the log file's name is taken by a folder.
    AddInPath = folder_.withSeparator();
    std::filesystem::create_directory(folder_.path() / "KavexLog.txt");
    EXPECT_NO_THROW(WriteLog("P", 1, "lost too"));
}

TEST_F(WriteLogTest, WritesNothingWithoutAnAddInFolder) {
    LogLevel = 3;
    AddInPath.clear();
    const auto before = std::filesystem::exists("KavexLog.txt");
    EXPECT_NO_THROW(WriteLog("P", 1, "nowhere"));
    EXPECT_EQ(std::filesystem::exists("KavexLog.txt"), before);
}

// How many of this process's descriptors are open on the file at path.
int descriptorsOpenOn(const std::filesystem::path& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        count += (!error && target == path) ? 1 : 0;
    }
    return count;
}

// The file stays open from one line to the next, and every line is in it as soon as it is
// logged, with nothing closed or flushed in between.
TEST_F(WriteLogTest, KeepsTheFileOpenAndEachLineIsInItAtOnce) {
    LogLevel = 3;
    const auto path = std::filesystem::canonical(folder_.path()) / "KavexLog.txt";
    for (int i = 1; i <= 3; ++i) {
        WriteLog("P", 1, "line " + std::to_string(i));
        const auto lines = logLines();
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(i));
        EXPECT_NE(lines.back().find("\tP\tline " + std::to_string(i)), std::string::npos);
        EXPECT_EQ(descriptorsOpenOn(path), 1) << "after line " << i;
    }
}

// A log removed while the add-in runs is created again by the next line.
TEST_F(WriteLogTest, ARemovedLogIsCreatedAgainByTheNextLine) {
    LogLevel = 3;
    WriteLog("P", 1, "before");
    std::filesystem::remove(folder_.path() / "KavexLog.txt");
    WriteLog("P", 1, "after removal");
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("after removal"), std::string::npos);

    // Removed together with its folder, and the folder made again.
    std::filesystem::remove_all(folder_.path());
    std::filesystem::create_directories(folder_.path());
    WriteLog("P", 1, "in the new folder");
    lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("in the new folder"), std::string::npos);
}

// A log renamed while the add-in runs (moved aside to keep it) keeps what it held, and the next
// line goes to a new file at the log's own name, as a log opened for each line would; the same
// when another file has been put in its place.
TEST_F(WriteLogTest, ARenamedLogIsStartedAgainAtItsName) {
    LogLevel = 3;
    const auto log = folder_.path() / "KavexLog.txt";
    WriteLog("P", 1, "before");
    std::filesystem::rename(log, folder_.path() / "KavexLog.old");
    WriteLog("P", 1, "after renaming");

    const auto old = folder_.lines("KavexLog.old");
    ASSERT_EQ(old.size(), 1u);
    EXPECT_NE(old[0].find("\tP\tbefore"), std::string::npos);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\tP\tafter renaming"), std::string::npos);
    EXPECT_EQ(descriptorsOpenOn(std::filesystem::canonical(folder_.path()) / "KavexLog.old"), 0);

    // Another file moved over the log's name: the lines go on in that file.
    std::ofstream(folder_.path() / "replacement.txt") << "kept\n";
    std::filesystem::rename(folder_.path() / "replacement.txt", log);
    WriteLog("P", 1, "into the replacement");
    lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "kept");
    EXPECT_NE(lines[1].find("\tP\tinto the replacement"), std::string::npos);
    EXPECT_EQ(folder_.lines("KavexLog.old").size(), 1u);
}

// When the add-in's folder changes, the next line goes to the log in the new folder and the old
// file is let go.
TEST_F(WriteLogTest, FollowsTheAddInFolderWhenItChanges) {
    LogLevel = 3;
    WriteLog("P", 1, "in the first folder");
    const auto second = folder_.path() / "moved";
    std::filesystem::create_directory(second);
    AddInPath = second.string() + "/";
    WriteLog("P", 1, "in the second folder");

    const auto first = logLines();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(first[0].find("in the first folder"), std::string::npos);
    const auto moved = folder_.lines("moved/KavexLog.txt");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_NE(moved[0].find("in the second folder"), std::string::npos);
    EXPECT_EQ(descriptorsOpenOn(std::filesystem::canonical(folder_.path()) / "KavexLog.txt"), 0);
}

TEST(StringsTest, ReplaceStringReplacesEveryOccurrenceCaseSensitively) {
    EXPECT_EQ(ReplaceString("AT%26T %26 Co", "%26", "&"), "AT&T & Co");
    EXPECT_EQ(ReplaceString("abcABC", "abc", "x"), "xABC");
    EXPECT_EQ(ReplaceString("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceString("", "a", "b"), "");
    EXPECT_EQ(ReplaceString("text", "", "b"), "text");
}

TEST(StringsTest, SplitStringAsTheRuntimeSplits) {
    EXPECT_EQ(SplitString("NSDQ,NYSE,AMEX", ","),
              (std::vector<std::string>{"NSDQ", "NYSE", "AMEX"}));
    EXPECT_EQ(SplitString("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_TRUE(SplitString("", ",").empty());
    EXPECT_EQ(SplitString("a b", ""), (std::vector<std::string>{"a b"}));
    EXPECT_EQ(SplitString("1 - 2", " - "), (std::vector<std::string>{"1", "2"}));
}

TEST(StringsTest, URLEncodeKeepsUnreservedAndEncodesTheRest) {
    EXPECT_EQ(URLEncode("demo"), "demo");
    EXPECT_EQ(URLEncode("a b&c=d"), "a+b%26c%3Dd");
    EXPECT_EQ(URLEncode("%OPT"), "%25OPT");
    EXPECT_EQ(URLEncode("caf\xC3\xA9"), "caf%C3%A9");
}

TEST(StringsTest, SqlLiteralsDoubleEveryApostrophe) {
    EXPECT_EQ(SqlText("O'Neil's"), "O''Neil''s");
    EXPECT_EQ(SqlQuoted("O'Neil's"), "'O''Neil''s'");
    EXPECT_EQ(SqlQuoted(""), "''");
    EXPECT_EQ(SqlQuoted("'"), "''''");
}

TEST(ErrorsTest, TrappedFailuresReadAsTheRuntimesErrObject) {
    EXPECT_EQ(ErrorText(base::PlatformError(1004, "Application-defined error")),
              "(1004) Application-defined error");
    EXPECT_EQ(ErrorText(std::runtime_error("boom")), "(-1) boom");
    const TrappedError trapped = Trapped(base::PlatformError(9, "Subscript out of range"));
    EXPECT_EQ(trapped.number, 9);
    EXPECT_EQ(trapped.description, "Subscript out of range");
}

}  // namespace
}  // namespace kavex::addin::core
