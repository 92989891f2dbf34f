#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::addin::core {
namespace {

class AddKavexReferenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCoreGlobals();
        ExcelApp = &app_;
        AppPath = folder_.withSeparator();
    }
    void TearDown() override {
        ResetCoreGlobals();
        ExcelApp = nullptr;
    }

    // The companion add-in workbook with its macro project.
    void makeCompanion() {
        sheet::Workbook companion = app_.workbooks().add();
        companion.vbProject().setName("kavexservice");
        companion.saveAs(folder_.withSeparator() + "Kavex.xla");
        companion.close(false);
    }
    int referencesNamed(const sheet::Workbook& book, const std::string& name) {
        int found = 0;
        const sheet::References references = book.vbProject().references();
        for (int i = 1; i <= references.count(); ++i) {
            found += references.item(i).name() == name ? 1 : 0;
        }
        return found;
    }

    sheet::Application app_;
    testing::TempFolder folder_{"kavex-reference"};
};

TEST_F(AddKavexReferenceTest, DoesNothingWithoutTheFlag) {
    AddKavexReference(false);
    EXPECT_TRUE(AddInPath.empty());
}

TEST_F(AddKavexReferenceTest, GivesTheActiveWorkbookTheReferenceOnce) {
    makeCompanion();
    sheet::Workbook book = app_.workbooks().add();
    AddKavexReference(true);
    EXPECT_EQ(AddInPath, folder_.withSeparator());
    EXPECT_EQ(referencesNamed(book, "kavexservice"), 1);
    EXPECT_TRUE(app_.addIns().item("Kavex.xla").installed());

    AddKavexReference(true);
    EXPECT_EQ(referencesNamed(book, "kavexservice"), 1);
}

TEST_F(AddKavexReferenceTest, AMissingCompanionIsLoggedAndTrapped) {
    LogLevel = 1;
    sheet::Workbook book = app_.workbooks().add();
    EXPECT_NO_THROW(AddKavexReference(true));
    EXPECT_EQ(referencesNamed(book, "kavexservice"), 0);
    const auto lines = folder_.lines("KavexLog.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\tAddKavexReference\t"), std::string::npos);
}

}  // namespace
}  // namespace kavex::addin::core
