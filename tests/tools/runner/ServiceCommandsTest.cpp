#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/Clock.h"
#include "services/HttpExchange.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/Database.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScenarioRunner.h"
#include "tools/kavex/runner/ScenarioServices.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {
namespace {

class ServiceCommandsTest : public ::testing::Test {
  protected:
    ServiceCommandsTest() : context("t.kvs", {}, out) {}

    void run(std::vector<std::string> tokens) { executeCommand(context, table, tokens); }

    void useFreshDatabase() {
        const auto file = context.temporaryDirectory() / "Kavex.mdb";
        createDatabase(file);
        scenarioServices(context).setDatabase(file);
    }

    services::Backend& backend() { return scenarioServices(context).server().backend(); }

    // Logs in and returns the referrer, through the services without HTTP.
    std::pair<std::string, std::string> login() {
        services::ServiceRequest request;
        request.path = "/datafeeder/Login.jsp";
        request.params = {{"UserID", "demo"}, {"Password", "demo"}};
        const std::string body = backend().handle(request).body;
        const auto field = [&](const std::string& name) {
            const auto start = body.find("<" + name + ">") + name.size() + 2;
            return body.substr(start, body.find("</" + name + ">") - start);
        };
        return {field("SessionKey"), field("Referrer")};
    }

    std::string quoteBody(const std::string& symbol, const std::string& referrer) {
        services::ServiceRequest request;
        request.path = "/tools/XM01";
        request.params = {{"qid", "KVXADDIN"}, {"symbols", symbol}, {"fields", "Last"}};
        request.referer = referrer;
        return backend().handle(request).body;
    }

    const CommandTable table = buildCommandTable();
    std::ostringstream out;
    ScenarioContext context;
};

TEST_F(ServiceCommandsTest, SqlRunsOnTheAddinsDatabase) {
    useFreshDatabase();
    run({"sql", "update ConfigSettings set ConfigValue = '3' where ConfigKey = 'LOG_LEVEL'"});
    run({"expect-sql", "select ConfigValue from ConfigSettings where ConfigKey = 'log_level'",
         "3"});
    run({"expect-sql", "select Symbol from AQ_StockSymbolList", "<none>"});
    run({"sql", "insert into AQ_StockSymbolData(Symbol) values('IBM')"});
    run({"expect-sql", "select SymbolData from AQ_StockSymbolData where Symbol = 'ibm'", "<null>"});
    EXPECT_THROW(run({"expect-sql", "select count(*) from AQ_StockSymbolData", "2"}),
                 ExpectationFailed);
}

TEST_F(ServiceCommandsTest, SqlWithoutAnAddinDatabaseCannotRun) {
    EXPECT_THROW(run({"sql", "delete from ConfigSettings"}), ScriptError);
    EXPECT_THROW(run({"expect-sql", "select 1", "1"}), ScriptError);
}

TEST_F(ServiceCommandsTest, AFailingStatementStopsTheScript) {
    useFreshDatabase();
    EXPECT_ANY_THROW(run({"sql", "delete from NoSuchTable"}));
}

TEST_F(ServiceCommandsTest, ServiceSwitchesTheFault) {
    run({"service", "http500"});
    EXPECT_EQ(backend().fault(), services::Fault::Http500);
    run({"service", "down"});
    EXPECT_FALSE(scenarioServices(context).server().listening());
    run({"service", "none"});
    EXPECT_TRUE(scenarioServices(context).server().listening());
    run({"service", "invalid-session"});
    EXPECT_EQ(backend().fault(), services::Fault::InvalidSession);
    EXPECT_THROW(run({"service", "broken"}), ScriptError);
    EXPECT_THROW(run({"service", "none", "extra"}), ScriptError);
    run({"service", "slow-delay", "0.25"});
    EXPECT_THROW(run({"service", "slow-delay", "-1"}), ScriptError);
}

TEST_F(ServiceCommandsTest, ServiceQuoteFixesAndForgetsFields) {
    const auto [key, referrer] = login();
    run({"service", "quote", "ibm", "Last=1.23"});
    EXPECT_NE(quoteBody("IBM", referrer).find("<Last>1.23</Last>"), std::string::npos);
    run({"service", "quote", "IBM"});
    EXPECT_EQ(quoteBody("IBM", referrer).find("<Last>1.23</Last>"), std::string::npos);
    EXPECT_THROW(run({"service", "quote", "IBM", "Bad Name=1"}), ScriptError);
}

TEST_F(ServiceCommandsTest, ExpectServiceActionLooksAtTheActionLog) {
    const auto [key, referrer] = login();
    EXPECT_THROW(run({"expect-service-action", "11"}), ExpectationFailed);
    services::ServiceRequest report;
    report.path = "/datafeeder/UserActionInfo.jsp";
    report.params = {{"SessionKey", key}, {"ActionType", "11"}, {"Reason", "Screen Refresh"}};
    backend().handle(report);
    run({"expect-service-action", "11"});
    run({"expect-service-action", "11", "Screen Refresh"});
    run({"expect-service-action", "login"});
    try {
        run({"expect-service-action", "11", "Other"});
        ADD_FAILURE() << "a reason that was not reported must not hold";
    } catch (const ExpectationFailed& failure) {
        EXPECT_NE(failure.found().find("Screen Refresh"), std::string::npos) << failure.found();
    }
}

TEST_F(ServiceCommandsTest, TheServicesFollowSimulatedTime) {
    const std::int64_t june12 = 1'718'206'200'000;  // 2024-06-12 15:30:00 UTC
    os::machineClock().startSimulationUtc(june12);
    backend();  // starts the services, which take the host's time
    EXPECT_EQ(backend().now().time_since_epoch(), std::chrono::milliseconds(june12));
    os::machineClock().advance(60'000);
    EXPECT_EQ(backend().now().time_since_epoch(), std::chrono::milliseconds(june12))
        << "the services see the host's time move after the command";
    scenarioServices(context).syncClock();
    EXPECT_EQ(backend().now().time_since_epoch(), std::chrono::milliseconds(june12 + 60'000));
    os::machineClock().useRealTime();
    scenarioServices(context).syncClock();
    EXPECT_GT(backend().now().time_since_epoch(), std::chrono::milliseconds(june12 + 60'000));
}

}  // namespace
}  // namespace kavex::tool
