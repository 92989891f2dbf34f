#include "platform/http/Request.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/base/PlatformError.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"

namespace kavex::http {
namespace {

using namespace std::chrono_literals;

// A small local server: /ok answers XML, /fail a 500, /slow answers after a pause, /header echoes
// the X-Probe request header, /redirect sends to /ok, /count counts the requests that reached it.
class LocalServer {
  public:
    LocalServer() {
        server_.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<zurovizout><status>OK</status></zurovizout>", "text/xml");
        });
        server_.Get("/fail", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("broken", "text/plain");
        });
        server_.Get("/slow", [this](const httplib::Request& req, httplib::Response& res) {
            const auto pause = std::chrono::milliseconds(
                req.has_param("ms") ? std::stoi(req.get_param_value("ms")) : 3000);
            const auto until = std::chrono::steady_clock::now() + pause;
            while (std::chrono::steady_clock::now() < until && !stopping_) {
                std::this_thread::sleep_for(10ms);
            }
            res.set_content("late", "text/plain");
        });
        server_.Get("/header", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("X-Probe"), "text/plain");
        });
        server_.Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/ok");
        });
        server_.Get("/count", [this](const httplib::Request&, httplib::Response& res) {
            ++counted_;
            res.set_content("counted", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    ~LocalServer() {
        stopping_ = true;
        server_.stop();
        thread_.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    int counted() const { return counted_; }

  private:
    httplib::Server server_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> counted_{0};
    int port_ = 0;
};

// A local port with nothing listening: bound once to learn a free number, then closed.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

TEST(RequestSync, SuccessGivesStatusAndText) {
    LocalServer server;
    Request request;
    EXPECT_EQ(request.readyState(), 0);
    request.open("GET", server.url("/ok"), false);
    EXPECT_EQ(request.readyState(), 1);
    request.send();
    EXPECT_EQ(request.readyState(), 4);
    EXPECT_EQ(request.outcome(), Outcome::Success);
    EXPECT_EQ(request.status(), 200);
    EXPECT_EQ(request.statusText(), "OK");
    EXPECT_EQ(request.responseText(), "<zurovizout><status>OK</status></zurovizout>");
    EXPECT_EQ(request.errorDescription(), "");
}

TEST(RequestSync, ServerErrorIsAnAnswerWithItsStatus) {
    LocalServer server;
    Request request;
    request.open("GET", server.url("/fail"));
    request.send();
    EXPECT_EQ(request.outcome(), Outcome::HttpError);
    EXPECT_EQ(request.status(), 500);
    EXPECT_EQ(request.statusText(), "Internal Server Error");
    EXPECT_EQ(request.responseText(), "broken");
}

TEST(RequestSync, RefusedConnectionIsToldApart) {
    Request request;
    request.open("GET", "http://127.0.0.1:" + std::to_string(closedPort()) + "/x");
    request.send();
    EXPECT_EQ(request.readyState(), 4);
    EXPECT_EQ(request.outcome(), Outcome::ConnectionRefused);
    EXPECT_EQ(request.status(), 0);
    EXPECT_EQ(request.responseText(), "");
    EXPECT_NE(request.errorDescription(), "");
}

TEST(RequestSync, FailedNameLookUpIsToldApart) {
    Request request;
    request.setTimeout(10s);
    request.open("GET", "http://nonexistent.invalid/");
    request.send();
    EXPECT_EQ(request.outcome(), Outcome::NameNotResolved) << request.errorDescription();
    EXPECT_EQ(request.status(), 0);
}

TEST(RequestSync, SlowServerTimesOut) {
    LocalServer server;
    Request request;
    request.setTimeout(300ms);
    request.open("GET", server.url("/slow?ms=3000"));
    const auto before = std::chrono::steady_clock::now();
    request.send();
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(request.outcome(), Outcome::TimedOut);
    EXPECT_EQ(request.status(), 0);
    EXPECT_LT(took, 2s);
}

TEST(RequestSync, HeadersAreSentAndRedirectsFollowed) {
    LocalServer server;
    Request request;
    request.open("GET", server.url("/header"));
    request.setRequestHeader("X-Probe", "kavex 1");
    request.send();
    EXPECT_EQ(request.responseText(), "kavex 1");

    request.open("GET", server.url("/redirect"));
    request.send();
    EXPECT_EQ(request.status(), 200);
    EXPECT_EQ(request.responseText(), "<zurovizout><status>OK</status></zurovizout>");
}

TEST(RequestMisuse, IsRefusedWithAnError) {
    Request request;
    EXPECT_THROW(request.send(), base::PlatformError);
    EXPECT_THROW(request.setRequestHeader("A", "b"), base::PlatformError);
    EXPECT_THROW(request.open("POST", "http://127.0.0.1/"), base::PlatformError);
    EXPECT_THROW(request.open("GET", "file:///etc/passwd"), base::PlatformError);
    EXPECT_THROW(request.open("GET", "not a url"), base::PlatformError);
    request.open("get", "http://127.0.0.1:1/");
    EXPECT_THROW(request.setRequestHeader("X-Bad", "a\r\nInjected: yes"), base::PlatformError);
    EXPECT_THROW(request.status(), base::PlatformError);  // not answered yet
    EXPECT_THROW(request.responseText(), base::PlatformError);
}

// Runs the message loop until the request is done or the real-time limit passes.
void runLoopUntilDone(const Request& request, std::chrono::seconds limit, int* turns = nullptr) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (request.readyState() != 4 && std::chrono::steady_clock::now() < until) {
        os::DoEvents();
        if (turns != nullptr) {
            ++*turns;
        }
        std::this_thread::sleep_for(1ms);
    }
}

TEST(RequestAsync, CompletesThroughDoEventsWhileTheLoopKeepsRunning) {
    LocalServer server;
    Request request;
    std::vector<int> states;
    request.onReadyStateChange([&] { states.push_back(request.readyState()); });
    request.open("GET", server.url("/slow?ms=200"), true);
    request.send();
    EXPECT_EQ(request.readyState(), 2);  // send returned at once
    EXPECT_EQ(runningRequests(), 1u);

    int postedRan = 0;
    int turns = 0;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (request.readyState() != 4 && std::chrono::steady_clock::now() < until) {
        os::messageLoop().post([&] { ++postedRan; });
        os::DoEvents();
        ++turns;
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(request.readyState(), 4);
    EXPECT_EQ(request.outcome(), Outcome::Success);
    EXPECT_EQ(request.responseText(), "late");
    EXPECT_GT(turns, 10) << "the loop kept turning while the answer was awaited";
    EXPECT_EQ(postedRan, turns);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 4);
    EXPECT_EQ(runningRequests(), 0u);
}

TEST(RequestAsync, SendPutsTheRequestOnItsWayBeforeTheLoopTurns) {
    // So that the server works on it while the caller does something else first.
    LocalServer server;
    Request request;
    request.open("GET", server.url("/count"), true);
    request.send();
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (server.counted() == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(server.counted(), 1);
    EXPECT_EQ(request.readyState(), 2);  // the answer is taken in only by a turn of the loop
    runLoopUntilDone(request, 5s);
    EXPECT_EQ(request.outcome(), Outcome::Success);
    EXPECT_EQ(request.responseText(), "counted");
}

TEST(RequestAsync, InSimulatedTimeTheLoopWaitsForTheAnswerInsteadOfJumping) {
    LocalServer server;
    os::messageLoop().reset();  // drops every hook: the next send must register again
    os::clock().startSimulationUtc(1'700'000'000'000);
    Request request;
    request.open("GET", server.url("/slow?ms=100"), true);
    request.send();
    runLoopUntilDone(request, 5s);
    const std::int64_t simulatedPassed = os::clock().epochMillis() - 1'700'000'000'000;
    os::clock().useRealTime();
    EXPECT_EQ(request.outcome(), Outcome::Success);
    EXPECT_LT(simulatedPassed, 5000) << "the clock stayed in step with the awaited answer";
}

TEST(RequestAsync, FailuresAndTimeOutsCompleteAsynchronouslyToo) {
    LocalServer server;
    Request refused;
    refused.open("GET", "http://127.0.0.1:" + std::to_string(closedPort()) + "/", true);
    Request slow;
    slow.setTimeout(200ms);
    slow.open("GET", server.url("/slow?ms=3000"), true);
    Request failing;
    failing.open("GET", server.url("/fail"), true);
    refused.send();
    slow.send();
    failing.send();
    runLoopUntilDone(refused, 5s);
    runLoopUntilDone(slow, 5s);
    runLoopUntilDone(failing, 5s);
    EXPECT_EQ(refused.outcome(), Outcome::ConnectionRefused);
    EXPECT_EQ(slow.outcome(), Outcome::TimedOut);
    EXPECT_EQ(failing.outcome(), Outcome::HttpError);
    EXPECT_EQ(failing.status(), 500);
}

TEST(RequestAsync, AbortedOrDestroyedRequestsNeverComplete) {
    LocalServer server;
    int calls = 0;
    Request aborted;
    aborted.onReadyStateChange([&] { ++calls; });
    aborted.open("GET", server.url("/slow?ms=300"), true);
    aborted.send();
    {
        Request dropped;
        dropped.onReadyStateChange([&] { ++calls; });
        dropped.open("GET", server.url("/slow?ms=300"), true);
        dropped.send();
        poll();
    }
    aborted.abort();
    EXPECT_EQ(aborted.readyState(), 4);
    EXPECT_EQ(aborted.outcome(), Outcome::Aborted);
    EXPECT_EQ(runningRequests(), 0u);
    for (int i = 0; i < 50; ++i) {
        poll();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(calls, 0);
}

TEST(RequestAsync, HandlerMayDestroyItsOwnRequestAndStartAnother) {
    LocalServer server;
    auto first = std::make_unique<Request>();
    Request second;
    second.open("GET", server.url("/ok"), true);
    first->onReadyStateChange([&] {
        if (first->readyState() == 4) {
            first.reset();
            second.send();
        }
    });
    first->open("GET", server.url("/ok"), true);
    first->send();
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (second.readyState() != 4 && std::chrono::steady_clock::now() < until) {
        poll();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second.outcome(), Outcome::Success);
}

}  // namespace
}  // namespace kavex::http
