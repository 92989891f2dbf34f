// Each fault of the embedded services as the add-in's side sees it: through the platform's HTTP
// request, the message loop and the XML document, each fault must end in its own outcome, so that
// the add-in can tell a lost connection, a time-out, a server error, a damaged answer and a
// refused session apart.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/http/Request.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "platform/xml/Document.h"
#include "services/Server.h"
#include "tests/services/ServiceFixture.h"

namespace kavex::services::testing {
namespace {

using namespace std::chrono_literals;

class ClientFaultsTest : public ::testing::Test {
  protected:
    ClientFaultsTest() : server(options()) {
        server.start();
        server.backend().setClock([] { return fixedTime(); });
        os::messageLoop().reset();
    }
    ~ClientFaultsTest() override {
        os::messageLoop().reset();
        os::machineClock().useRealTime();
    }

    static ServerOptions options() {
        ServerOptions result = seededOptions();
        result.slowDelay = 3000ms;
        return result;
    }

    struct Answer {
        http::Outcome outcome = http::Outcome::Pending;
        long status = 0;
        std::string text;
        int loopTurns = 0;
        std::chrono::steady_clock::duration took{};
    };

    // Sends an asynchronous GET and turns the message loop until it completes, as the add-in's
    // fetches wait: the loop keeps running other work meanwhile.
    Answer get(const std::string& path, std::chrono::milliseconds timeout = 2000ms) {
        http::Request request;
        request.setTimeout(timeout);
        request.open("GET", server.baseUrl() + path, true);
        const auto start = std::chrono::steady_clock::now();
        request.send();
        Answer answer;
        int postedRan = 0;
        while (request.readyState() != 4 && std::chrono::steady_clock::now() - start < 10s) {
            os::messageLoop().post([&] { ++postedRan; });
            os::DoEvents();
            ++answer.loopTurns;
        }
        answer.took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(request.readyState(), 4) << path;
        EXPECT_EQ(postedRan, answer.loopTurns) << "other work ran on every turn";
        answer.outcome = request.outcome();
        answer.status = request.status();
        answer.text = request.responseText();
        return answer;
    }

    std::string loginPath() const { return "/datafeeder/Login.jsp?UserID=demo&Password=demo"; }

    Server server;
};

std::string textAt(const std::string& body, const char* xpath) {
    xml::Document document;
    EXPECT_TRUE(document.loadXML(body)) << body;
    const xml::Node node = document.selectSingleNode(xpath);
    return node ? node.text() : "<nothing>";
}

TEST_F(ClientFaultsTest, EachFaultEndsInItsOwnOutcome) {
    // No fault: a login answer that parses.
    const Answer fine = get(loginPath());
    EXPECT_EQ(fine.outcome, http::Outcome::Success);
    EXPECT_EQ(textAt(fine.text, "/zurovizout/Status"), "OK");
    const std::string sessionKey = textAt(fine.text, "/zurovizout/SessionKey");

    server.setFault(Fault::Down);
    const Answer down = get(loginPath());
    EXPECT_EQ(down.outcome, http::Outcome::ConnectionRefused);
    EXPECT_EQ(down.status, 0);

    server.setFault(Fault::Http500);
    const Answer failing = get(loginPath());
    EXPECT_EQ(failing.outcome, http::Outcome::HttpError);
    EXPECT_EQ(failing.status, 500);

    server.setFault(Fault::BadXml);
    const Answer damaged = get(loginPath());
    EXPECT_EQ(damaged.outcome, http::Outcome::Success);
    xml::Document document;
    EXPECT_FALSE(document.loadXML(damaged.text)) << damaged.text;
    EXPECT_TRUE(document.documentElement().isNothing()) << "a failed load leaves it empty";

    server.setFault(Fault::InvalidSession);
    const Answer refused = get("/datafeeder/AuthenticateSession.jsp?SessionKey=" + sessionKey);
    EXPECT_EQ(refused.outcome, http::Outcome::Success);
    EXPECT_EQ(textAt(refused.text, "/zurovizout/ErrorCode"), "invalid_session");

    server.setFault(Fault::None);
    const Answer back = get("/datafeeder/AuthenticateSession.jsp?SessionKey=" + sessionKey);
    EXPECT_EQ(textAt(back.text, "/zurovizout/Status"), "OK");
}

TEST_F(ClientFaultsTest, SlowServerIsCutOffAtTheTimeOutWhileTheLoopKeepsRunning) {
    server.setFault(Fault::Slow);
    const Answer slow = get(loginPath(), 400ms);
    EXPECT_EQ(slow.outcome, http::Outcome::TimedOut);
    EXPECT_EQ(slow.status, 0);
    // The transfer's own clock may start a little before ours.
    EXPECT_GE(slow.took, 350ms) << "not given up before the time-out";
    EXPECT_LT(slow.took, 2500ms) << "cut off at the time-out, not at the server's delay";
    EXPECT_GT(slow.loopTurns, 10);
}

TEST_F(ClientFaultsTest, InSimulatedTimeASlowServerStillTimesOutInsteadOfHanging) {
    os::machineClock().startSimulationUtc(1'700'000'000'000);
    server.setFault(Fault::Slow);
    const Answer slow = get(loginPath(), 300ms);
    EXPECT_EQ(slow.outcome, http::Outcome::TimedOut);
    EXPECT_LT(slow.took, 2500ms);
}

}  // namespace
}  // namespace kavex::services::testing
