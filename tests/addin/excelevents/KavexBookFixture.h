#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "addin/session/Session.h"
#include "platform/db/Connection.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "tests/addin/excelevents/EventsFixture.h"

namespace kavex::addin::excelevents::testing {

// The add-in's own workbook as shipped, opened by a user who logs in on the way, on a weekday
// morning in simulated time.
class KavexBookFixture : public EventsFixture {
  protected:
    void SetUp() override {
        EventsFixture::SetUp();
        os::machineClock().startSimulation(*base::makeDate(2025, 1, 15, 10, 0, 0));
        answerLogin("demo", "demo");
        kavexBook_ = app_.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
        ASSERT_FALSE(session::UserSessionKey.empty());
    }

    sheet::Worksheet kavexSheet(const std::string& name) {
        return kavexBook_.worksheets().item(name);
    }

    // Writes cells as the add-in's own code does, without raising events.
    void quietly(const std::function<void()>& write) {
        app_.setEnableEvents(false);
        write();
        app_.setEnableEvents(true);
    }

    // Runs a statement on the add-in's database.
    void sql(const std::string& statement) {
        db::Connection connection;
        connection.Open("Data Source=" + (folder_.path() / "Kavex.mdb").string());
        connection.Execute(statement);
    }

    // Lets the message loop run a while in simulated time, so that queued jobs run.
    static void runLoop(int seconds) {
        const std::int64_t until = os::machineClock().tickMillis() + seconds * 1000LL;
        while (os::machineClock().tickMillis() < until) {
            os::DoEvents();
        }
    }

    sheet::Workbook kavexBook_;
};

}  // namespace kavex::addin::excelevents::testing
