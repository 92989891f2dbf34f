#include "tools/kavex/runner/ScenarioContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/forms/ScriptedDriver.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {
namespace {

std::vector<std::string>* gDestroyed = nullptr;

struct First {
    ~First() { gDestroyed->push_back("first"); }
    int value = 1;
};

struct Second {
    explicit Second(ScenarioContext& context) : file(context.file()) {}
    ~Second() { gDestroyed->push_back("second"); }
    std::string file;
};

TEST(ScenarioContext, ExtensionsAreMadeOnceAndDestroyedLastMadeFirst) {
    std::vector<std::string> destroyed;
    gDestroyed = &destroyed;
    {
        std::ostringstream out;
        ScenarioContext context("dir/s.kvs", {}, out);
        EXPECT_EQ(context.findExtension<First>(), nullptr);
        context.extension<First>().value = 7;
        EXPECT_EQ(context.extension<First>().value, 7);
        EXPECT_EQ(context.extension<Second>().file, "dir/s.kvs");
        EXPECT_EQ(&context.extension<Second>(), context.findExtension<Second>());
    }
    EXPECT_EQ(destroyed, (std::vector<std::string>{"second", "first"}));
    gDestroyed = nullptr;
}

TEST(ScenarioContext, ResolvesFileNamesAndRemovesItsTemporaryFolder) {
    std::ostringstream out;
    std::filesystem::path temporary;
    {
        ScenarioContext context("/scripts/a/s.kvs", {}, out);
        EXPECT_EQ(context.resolvePath("book.json"), "/scripts/a/book.json");
        EXPECT_EQ(context.resolvePath("/abs/x.json"), "/abs/x.json");
        // The data folder the program finds: in a build folder, the sources' data.
        EXPECT_TRUE(std::filesystem::equivalent(
            context.resolvePath("$DATA/scenarios/demo.kvs"),
            std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "scenarios/demo.kvs"));
        temporary = context.temporaryDirectory();
        EXPECT_EQ(context.resolvePath("$TMP/x.json"), temporary / "x.json");
        std::ofstream(temporary / "x.json") << "{}";
        EXPECT_TRUE(std::filesystem::is_directory(temporary));
        EXPECT_THROW(context.resolvePath(""), ScriptError);
        // "$TMPX" is a plain relative name, not the temporary folder.
        EXPECT_EQ(context.resolvePath("$TMPX/y"), "/scripts/a/$TMPX/y");
    }
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST(ScenarioContext, EachContextHasItsOwnTemporaryFolder) {
    std::ostringstream out;
    ScenarioContext a("a.kvs", {}, out);
    ScenarioContext b("b.kvs", {}, out);
    EXPECT_NE(a.temporaryDirectory(), b.temporaryDirectory());
    EXPECT_EQ(a.location(), "a.kvs:0");
}

TEST(ScenarioContext, TheSaveAsDialogIsAnsweredByTheDialogDriver) {
    std::ostringstream out;
    ScenarioContext context("s.kvs", {}, out);
    forms::scriptedDriver().queueSaveAs("/tmp/chosen.json");
    EXPECT_EQ(context.application().getSaveAsFilename(), base::Variant("/tmp/chosen.json"));
    forms::scriptedDriver().queueSaveAs(std::nullopt);
    EXPECT_EQ(context.application().getSaveAsFilename(), base::Variant(false));
}

}  // namespace
}  // namespace kavex::tool
