#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/db/Recordset.h"
#include "tests/addin/core/TempFolder.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::addin::core {
namespace {

class DatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCoreGlobals();
        AddInPath = folder_.withSeparator();
    }
    void TearDown() override { ResetCoreGlobals(); }

    void createDatabase() { tool::createDatabase(folder_.path() / "Kavex.mdb"); }

    // A statement run on the file directly, as another program would.
    void execute(const std::string& statement) {
        db::Connection connection;
        connection.Open("Data Source=" + (folder_.path() / "Kavex.mdb").string());
        connection.Execute(statement);
    }
    std::string configValue(const std::string& key) {
        db::Connection connection;
        connection.Open("Data Source=" + (folder_.path() / "Kavex.mdb").string());
        db::Recordset rs;
        rs.Open("select ConfigValue from ConfigSettings where ConfigKey='" + key + "'", connection);
        return rs.Eof() ? "<none>" : base::CStr(rs.Fields("ConfigValue"));
    }

    testing::TempFolder folder_{"kavex-db"};
};

TEST_F(DatabaseTest, MissingFileLeavesTheConnectionClosedAndLogsIt) {
    LogLevel = 1;
    OpenDBConnection();

    ASSERT_NE(DBConnection, nullptr);
    EXPECT_EQ(DBConnection->State(), 0);
    const auto lines = folder_.lines("KavexLog.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\tOpenDBConnection\tDatabase " + AddInPath +
                            "Kavex.mdb file does not exist."),
              std::string::npos)
        << lines[0];
    // The caller's next statement fails on its own error path.
    EXPECT_THROW(DBConnection->Execute("select 1"), base::PlatformError);
}

TEST_F(DatabaseTest, OpensAnExistingDatabase) {
    createDatabase();
    OpenDBConnection();
    ASSERT_NE(DBConnection, nullptr);
    EXPECT_EQ(DBConnection->State(), 1);
}

TEST_F(DatabaseTest, AFileThatIsNoDatabaseIsLoggedNotThrown) {
    LogLevel = 1;
    std::ofstream(folder_.path() / "Kavex.mdb") << "not a database at all, just some text";
    EXPECT_NO_THROW(OpenDBConnection());
    EXPECT_FALSE(FetchConfigSettings());
    EXPECT_EQ(PriceFormat, "$###,###,##0.00");
    EXPECT_FALSE(folder_.lines("KavexLog.txt").empty());
}

TEST_F(DatabaseTest, FetchConfigSettingsLoadsTheMirrors) {
    createDatabase();
    execute("update ConfigSettings set ConfigValue='3' where ConfigKey='LOG_LEVEL'");
    execute("update ConfigSettings set ConfigValue='45' where ConfigKey='DATA_REFRESH_INTERVAL'");
    execute("update ConfigSettings set ConfigValue='1' where ConfigKey='AUTOUPDATE_MODE'");
    execute("update ConfigSettings set ConfigValue='10' where ConfigKey='TOP_VOL_LEADERS'");
    execute(
        "update ConfigSettings set ConfigValue='2024-06-01 10:00:00' "
        "where ConfigKey='LAST_LOGIN_DATE'");
    execute(
        "update ConfigSettings set ConfigValue='http://example.test:99/' "
        "where ConfigKey='WEBSITE_URL'");

    ASSERT_TRUE(FetchConfigSettings());
    EXPECT_EQ(LogLevel, 3);
    EXPECT_EQ(DecimalPlaces, 2);
    EXPECT_EQ(PriceFormat, "$###,###,##0.00");
    EXPECT_EQ(AutoUpdateMode, 1);
    EXPECT_EQ(DataRefreshInterval, 45);
    EXPECT_EQ(TopVolLeaders, 10);
    EXPECT_EQ(TopPriceGainers, 25);
    EXPECT_EQ(TopPriceLosers, 25);
    EXPECT_EQ(LastLoginDate, "2024-06-01 10:00:00");
    EXPECT_EQ(WebsiteURL, "http://example.test:99");
}

TEST_F(DatabaseTest, PriceFormatFollowsTheDecimalPlaces) {
    createDatabase();
    const std::pair<const char*, const char*> cases[] = {
        {"0", "$###,###,##0"}, {"2", "$###,###,##0.00"}, {"4", "$###,###,##0.0000"}};
    for (const auto& [decimals, pattern] : cases) {
        execute(std::string("update ConfigSettings set ConfigValue='") + decimals +
                "' where ConfigKey='DECIMAL_PLACE'");
        ASSERT_TRUE(FetchConfigSettings());
        EXPECT_EQ(DecimalPlaces, std::stoi(decimals));
        EXPECT_EQ(PriceFormat, pattern) << decimals;
    }
}

TEST_F(DatabaseTest, ValuesThatDoNotConvertKeepTheMirrors) {
    createDatabase();
    execute("update ConfigSettings set ConfigValue='many' where ConfigKey='DECIMAL_PLACE'");
    execute("update ConfigSettings set ConfigValue='7' where ConfigKey='AUTOUPDATE_MODE'");
    execute("update ConfigSettings set ConfigValue='2.5' where ConfigKey='DATA_REFRESH_INTERVAL'");
    execute("update ConfigSettings set ConfigValue='99999' where ConfigKey='TOP_VOL_LEADERS'");
    execute("delete from ConfigSettings where ConfigKey='TOP_PRICE_LOSERS'");
    SetDecimalPlaces(3);
    AutoUpdateMode = 0;
    DataRefreshInterval = 15;
    TopVolLeaders = 5;
    TopPriceLosers = 7;

    ASSERT_TRUE(FetchConfigSettings());
    EXPECT_EQ(DecimalPlaces, 3);
    EXPECT_EQ(PriceFormat, "$###,###,##0.000");
    EXPECT_EQ(AutoUpdateMode, 0);
    EXPECT_EQ(DataRefreshInterval, 15);
    EXPECT_EQ(TopVolLeaders, 5);
    EXPECT_EQ(TopPriceLosers, 7);
}

TEST_F(DatabaseTest, AMissingDatabaseChangesNoMirror) {
    SetDecimalPlaces(4);
    WebsiteURL = "http://before";
    EXPECT_FALSE(FetchConfigSettings());
    EXPECT_EQ(PriceFormat, "$###,###,##0.0000");
    EXPECT_EQ(WebsiteURL, "http://before");
    EXPECT_EQ(GetConfigSetting("WEBSITE_URL"), "");
    EXPECT_FALSE(UpdateConfigSettings({"LOG_LEVEL"}, {"3"}));
}

TEST_F(DatabaseTest, UpdateConfigSettingsWritesExistingKeysOnly) {
    createDatabase();
    ASSERT_TRUE(UpdateConfigSettings({"USER_ID", "USER_PASSWORD", "NO_SUCH_KEY"},
                                     {"o'brien", "p&ss word", "x"}));
    EXPECT_EQ(configValue("USER_ID"), "o'brien");
    EXPECT_EQ(configValue("USER_PASSWORD"), "p&ss word");
    EXPECT_EQ(configValue("NO_SUCH_KEY"), "<none>");
    EXPECT_EQ(GetConfigSetting("user_id"), "o'brien");
}

TEST_F(DatabaseTest, UpdateConfigSettingsWritesAllOrNothing) {
    createDatabase();
    // Closing the shared connection mid-way is not possible from here, so a failing statement
    // comes from a table that is gone after the first key: every update fails, none is kept.
    ASSERT_TRUE(UpdateConfigSettings({"LOG_LEVEL"}, {"2"}));
    execute("drop table ConfigSettings");
    execute(
        "create table ConfigSettings (ConfigKey TEXT COLLATE NOCASE PRIMARY KEY, "
        "ConfigValue TEXT COLLATE NOCASE, Remarks TEXT, CHECK (ConfigValue <> 'bad'))");
    execute("insert into ConfigSettings (ConfigKey, ConfigValue) values ('A', '1')");
    execute("insert into ConfigSettings (ConfigKey, ConfigValue) values ('B', '1')");
    LogLevel = 1;
    EXPECT_FALSE(UpdateConfigSettings({"A", "B"}, {"2", "bad"}));
    EXPECT_EQ(configValue("A"), "1");
    EXPECT_EQ(configValue("B"), "1");
}

}  // namespace
}  // namespace kavex::addin::core
