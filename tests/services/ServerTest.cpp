#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <pugixml.hpp>
#include <string>
#include <thread>
#include <vector>

#include "ServiceFixture.h"
#include "services/Server.h"

namespace kavex::services::testing {
namespace {

using namespace std::chrono_literals;

class ServerTest : public ::testing::Test {
  protected:
    ServerTest() : server(options()) {
        server.start();
        server.backend().setClock([] { return fixedTime(); });
    }

    static ServerOptions options() {
        ServerOptions result = seededOptions();
        result.slowDelay = 1500ms;
        return result;
    }

    httplib::Client client(std::chrono::milliseconds timeout = 3000ms) {
        httplib::Client c("127.0.0.1", server.port());
        c.set_connection_timeout(timeout);
        c.set_read_timeout(timeout);
        return c;
    }

    static pugi::xml_document parse(const std::string& body) {
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(body.c_str())) << body;
        return document;
    }

    std::string login() {
        auto c = client();
        const auto result = c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo");
        EXPECT_TRUE(result);
        if (!result) {
            return {};
        }
        return parse(result->body).select_node("/zurovizout/Referrer").node().text().as_string();
    }

    Server server;
};

TEST_F(ServerTest, ListensOnAnEphemeralLoopbackPort) {
    EXPECT_GT(server.port(), 0);
    EXPECT_EQ(server.baseUrl(), "http://127.0.0.1:" + std::to_string(server.port()));
    EXPECT_TRUE(server.listening());
}

TEST_F(ServerTest, AnswersBothProtocolsOverHttp) {
    const std::string referrer = login();
    ASSERT_FALSE(referrer.empty());
    auto c = client();
    const auto result = c.Get("/tools/XM01?qid=KVXADDIN&symbols=MSFT,%25MSFTAD&fields=Last",
                              {{"Referer", referrer}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type").rfind("text/xml", 0), 0U);
    const auto document = parse(result->body);
    EXPECT_EQ(document.select_nodes("/StockData/Stock/Last").size(), 2U);
    EXPECT_EQ(
        std::string(document.select_node("/StockData/Stock[2]/Symbol").node().text().as_string()),
        "%MSFTAD")
        << "an encoded % reaches the service decoded";
}

TEST_F(ServerTest, UnknownPathsAreNotFoundAndOtherMethodsNotAllowed) {
    auto c = client();
    EXPECT_EQ(c.Get("/nothing")->status, 404);
    EXPECT_EQ(c.Get("/datafeeder/Unknown.jsp")->status, 404);
    EXPECT_EQ(c.Post("/datafeeder/Login.jsp", "x", "text/plain")->status, 405);
    EXPECT_EQ(c.Head("/datafeeder/Login.jsp")->status, 405);
    EXPECT_EQ(c.Options("/tools/XM01")->status, 405);
    EXPECT_EQ(c.Options("/nothing")->status, 405);
    EXPECT_EQ(server.backend().requests().size(), 2U);  // the GETs; no other reached a service
}

TEST_F(ServerTest, DownRefusesConnectionsAndComesBackOnTheSamePort) {
    const int port = server.port();
    server.setFault(Fault::Down);
    EXPECT_FALSE(server.listening());
    auto c = client(500ms);
    const auto refused = c.Get("/datafeeder/DisplayAdvert.jsp");
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error(), httplib::Error::Connection);

    server.setFault(Fault::None);
    EXPECT_EQ(server.port(), port);
    const auto back = client().Get("/datafeeder/DisplayAdvert.jsp");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->status, 200);
}

TEST_F(ServerTest, SlowAnswersOutlastTheClientsTimeout) {
    server.setFault(Fault::Slow);
    auto impatient = client(300ms);
    const auto start = std::chrono::steady_clock::now();
    const auto result = impatient.Get("/datafeeder/DisplayAdvert.jsp");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error(), httplib::Error::Read);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1400ms);

    // A patient client gets the answer after the delay.
    auto patient = client(5000ms);
    const auto late = patient.Get("/datafeeder/DisplayAdvert.jsp");
    ASSERT_TRUE(late);
    EXPECT_EQ(late->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1400ms);
}

TEST_F(ServerTest, LeavingSlowReleasesHeldAnswers) {
    server.backend().setSlowDelay(60s);
    server.setFault(Fault::Slow);
    std::atomic<int> status{0};
    std::thread waiting([&] {
        auto c = client(10s);
        const auto result = c.Get("/datafeeder/DisplayAdvert.jsp");
        status = result ? result->status : -1;
    });
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(status.load(), 0);
    server.setFault(Fault::None);
    waiting.join();
    EXPECT_EQ(status.load(), 200);
}

TEST_F(ServerTest, StopDoesNotWaitForSlowAnswers) {
    server.backend().setSlowDelay(60s);
    server.setFault(Fault::Slow);
    std::thread waiting([&] { client(10s).Get("/datafeeder/DisplayAdvert.jsp"); });
    std::this_thread::sleep_for(200ms);
    const auto start = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    waiting.join();
}

TEST_F(ServerTest, Http500AnswersEveryKnownPathWithStatus500) {
    server.setFault(Fault::Http500);
    auto c = client();
    EXPECT_EQ(c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo")->status, 500);
    EXPECT_EQ(c.Get("/tools/XM01?qid=KVXADDIN&symbols=IBM")->status, 500);
    EXPECT_EQ(c.Get("/nothing")->status, 404);
    EXPECT_EQ(server.backend().sessionCount(), 0U) << "a failed request changes nothing";
}

TEST_F(ServerTest, BadXmlAnswersDoNotParse) {
    server.setFault(Fault::BadXml);
    auto c = client();
    for (const char* path : {"/datafeeder/Login.jsp?UserID=demo&Password=demo",
                             "/tools/XM01?qid=KVXADDIN&symbols=IBM"}) {
        const auto result = c.Get(path);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        pugi::xml_document document;
        EXPECT_FALSE(document.load_string(result->body.c_str())) << path;
    }
    EXPECT_EQ(server.backend().sessionCount(), 0U);
}

TEST_F(ServerTest, InvalidSessionRefusesSessionsAndReferrersButNotLogins) {
    const std::string referrer = login();
    auto c = client();
    const std::string key = parse(c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo")->body)
                                .select_node("/zurovizout/SessionKey")
                                .node()
                                .text()
                                .as_string();
    server.setFault(Fault::InvalidSession);
    const auto check =
        parse(c.Get(("/datafeeder/AuthenticateSession.jsp?SessionKey=" + std::string(key)).c_str())
                  ->body);
    EXPECT_STREQ(check.select_node("/zurovizout/ErrorCode").node().text().as_string(),
                 "invalid_session");
    const auto quotes =
        parse(c.Get("/tools/XM01?qid=KVXADDIN&symbols=IBM", {{"Referer", referrer}})->body);
    EXPECT_STREQ(quotes.select_node("/StockData/Error/Code").node().text().as_string(),
                 "invalid_referrer");
    const auto relogin = parse(c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo")->body);
    EXPECT_STREQ(relogin.select_node("/zurovizout/Status").node().text().as_string(), "OK");

    server.setFault(Fault::None);
    const auto again =
        parse(c.Get(("/datafeeder/AuthenticateSession.jsp?SessionKey=" + std::string(key)).c_str())
                  ->body);
    EXPECT_STREQ(again.select_node("/zurovizout/Status").node().text().as_string(), "OK");
}

// Sends raw bytes and returns what comes back (possibly nothing).
std::string rawExchange(int port, const std::string& bytes) {
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        timeval timeout{0, 400'000};
        ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(sock, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(sock);
    return answer;
}

TEST_F(ServerTest, MalformedRequestsDoNotHurtTheServer) {
    const int port = server.port();
    EXPECT_EQ(rawExchange(port, "garbage\r\n\r\n").rfind("HTTP/1.1 400", 0), 0U);
    rawExchange(port, std::string(100'000, 'A'));
    rawExchange(port,
                "GET /datafeeder/Login.jsp?UserID=%ZZ%&Password=%%% HTTP/1.1\r\nHost: x\r\n\r\n");
    rawExchange(port, "GET /tools/XM01?qid=KVXADDIN&symbols=" + std::string(20'000, ',') +
                          " HTTP/1.1\r\nHost: x\r\n\r\n");
    rawExchange(port,
                "GET /datafeeder/Login.jsp HTTP/1.1\r\nHost: x\r\nContent-Length: -5\r\n\r\n");
    rawExchange(port, std::string("GET /\0/x HTTP/1.1\r\n\r\n", 21));
    // The server is still there and answers.
    const auto answer = rawExchange(
        port, "GET /datafeeder/DisplayAdvert.jsp HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0U) << answer;
}

TEST_F(ServerTest, ConcurrentClientsAllGetTheirAnswers) {
    const std::string referrer = login();
    std::atomic<int> good{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 8; ++t) {
        clients.emplace_back([&, t] {
            auto c = client(10s);
            for (int i = 0; i < 15; ++i) {
                if (i % 3 == 0) {
                    const auto r = c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo");
                    good +=
                        (r && r->status == 200 && r->body.find("<SessionKey>") != std::string::npos)
                            ? 1
                            : 0;
                } else {
                    const std::string symbol = (t % 2 == 0) ? "IBM" : "$TOP.VOL_LEADERS.NSDQ";
                    const auto r = c.Get(("/tools/XM01?qid=KVXADDIN&symbols=" + symbol).c_str(),
                                         {{"Referer", referrer}});
                    good += (r && r->status == 200 && r->body.find("<Stock>") != std::string::npos)
                                ? 1
                                : 0;
                }
            }
        });
    }
    for (auto& thread : clients) {
        thread.join();
    }
    EXPECT_EQ(good.load(), 8 * 15);
    EXPECT_EQ(server.backend().sessionCount(), 1U + 8 * 5);
    EXPECT_EQ(server.backend().requests().size(), 1U + 8 * 15);
}

// Connections that send their headers slowly (a byte now and then) each hold a thread of the
// server until they give up; a normal request meanwhile is answered at once (before, it waited
// behind them for their read time-outs).
TEST_F(ServerTest, SlowHeadersDoNotHoldUpOtherRequests) {
    const int port = server.port();
    std::vector<int> slow;
    // More of them than a fixed pool of the library's size would have threads.
    const unsigned count = std::max(24U, 2 * std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i) {
        const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::send(sock, "GET /datafeeder/", 16, MSG_NOSIGNAL);
        slow.push_back(sock);
    }
    std::this_thread::sleep_for(100ms);
    const auto start = std::chrono::steady_clock::now();
    auto c = client(4000ms);
    const auto answer = c.Get("/datafeeder/DisplayAdvert.jsp");
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_LT(took, 2000ms);
    for (const int sock : slow) {
        ::close(sock);
    }
}

// Keys are not to be guessed from an earlier server's keys.
TEST(ServerStartTest, SessionKeysDifferFromOneServerToTheNext) {
    std::vector<std::string> keys;
    for (int run = 0; run < 2; ++run) {
        Server server(seededOptions());
        server.start();
        httplib::Client c("127.0.0.1", server.port());
        const auto result = c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo");
        ASSERT_TRUE(result);
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(result->body.c_str()));
        keys.push_back(document.select_node("/zurovizout/SessionKey").node().text().as_string());
        ASSERT_FALSE(keys.back().empty());
    }
    EXPECT_NE(keys[0], keys[1]);
}

TEST(ServerStartTest, APortInUseIsReportedWithTheSystemsReason) {
    Server first(seededOptions());
    first.start();
    ServerOptions options = seededOptions();
    options.port = first.port();
    Server second(options);
    try {
        second.start();
        FAIL() << "a second server listened on a port in use";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot listen on 127.0.0.1:" + std::to_string(first.port()) +
                      ": Address already in use");
    }
    options.port = 0;
    options.host = "no-such-host.invalid";
    Server third(options);
    try {
        third.start();
        FAIL() << "listened on a host that does not resolve";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("cannot listen on no-such-host.invalid:0: "),
                  std::string::npos)
            << error.what();
    }
}

TEST(ServerStartTest, EachRequestCanBeLogged) {
    std::vector<std::string> lines;
    ServerOptions options = seededOptions();
    options.requestLog = [&](const std::string& line) { lines.push_back(line); };
    Server server(options);
    server.start();
    httplib::Client c("127.0.0.1", server.port());
    c.Get("/datafeeder/Login.jsp?UserID=demo&Password=demo");
    c.Get("/nothing");
    c.Post("/tools/XM01", "x", "text/plain");
    server.stop();
    EXPECT_EQ(lines,
              (std::vector<std::string>{"GET /datafeeder/Login.jsp?UserID=demo&Password=demo 200",
                                        "GET /nothing 404", "POST /tools/XM01 405"}));
}

TEST(ServerStartTest, MissingSeedsAreReportedAtConstruction) {
    ServerOptions options;
    options.seedDirectory = "/nonexistent/seeds";
    EXPECT_THROW(Server{options}, std::runtime_error);
}

}  // namespace
}  // namespace kavex::services::testing
