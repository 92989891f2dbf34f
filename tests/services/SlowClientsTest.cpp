#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ServiceFixture.h"
#include "services/HttpConnections.h"
#include "services/Server.h"

namespace kavex::services::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int connectTo(int port) {
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        return -1;
    }
    return sock;
}

void sendText(int sock, const std::string& text) {
    ::send(sock, text.data(), text.size(), MSG_NOSIGNAL);
}

// Everything the server sends until it closes the connection or `within` has passed.
std::string readUntilClosed(int sock, std::chrono::milliseconds within) {
    std::string received;
    const auto giveUp = Clock::now() + within;
    while (Clock::now() < giveUp) {
        pollfd entry{sock, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
        if (::poll(&entry, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0) {
            break;
        }
        char buffer[1024];
        const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

// Room for both ends of many connections in this one process.
void allowOpenFiles(rlim_t wanted) {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = std::min(wanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

class SlowClientsTest : public ::testing::Test {
  protected:
    void startWith(ServerOptions options) {
        server = std::make_unique<Server>(std::move(options));
        server->start();
    }

    // A request that must not wait: its status and how long it took.
    std::pair<int, Clock::duration> probe() {
        httplib::Client client("127.0.0.1", server->port());
        client.set_connection_timeout(3s);
        client.set_read_timeout(3s);
        const auto start = Clock::now();
        const auto answer = client.Get("/datafeeder/DisplayAdvert.jsp");
        return {answer ? answer->status : -1, Clock::now() - start};
    }

    std::unique_ptr<Server> server;
};

// Hundreds of clients that send one header line a second keep their connections open as long as
// they like within the request's deadline; a probe meanwhile is answered at once, and in full
// (before, the server stopped at 256 threads and queued every later connection behind them).
TEST_F(SlowClientsTest, ProbesAreAnsweredWhileHundredsOfClientsTrickleTheirHeaders) {
    constexpr int kTricklers = 600;
    allowOpenFiles(4 * kTricklers);
    ServerOptions options = seededOptions();
    options.requestDeadline = 30s;  // longer than the test: only the probes' answers end early
    startWith(options);

    // They trickle from their first connection on, so that none is left idle long enough to be
    // dropped for it while the others connect.
    std::mutex mutex;
    std::vector<int> tricklers;
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        for (int line = 0; !done; ++line) {
            {
                std::lock_guard lock(mutex);
                for (const int sock : tricklers) {
                    sendText(sock, "X-Line-" + std::to_string(line) + ": slow\r\n");
                }
            }
            for (int i = 0; i < 10 && !done; ++i) {
                std::this_thread::sleep_for(100ms);
            }
        }
    });
    for (int i = 0; i < kTricklers; ++i) {
        const int sock = connectTo(server->port());
        if (sock < 0) {
            ADD_FAILURE() << "connection " << i << " refused";
            break;
        }
        sendText(sock, "GET /datafeeder/DisplayAdvert.jsp HTTP/1.1\r\n");
        std::lock_guard lock(mutex);
        tricklers.push_back(sock);
    }

    for (int i = 0; i < 5; ++i) {
        const auto [status, took] = probe();
        EXPECT_EQ(status, 200) << "probe " << i;
        EXPECT_LT(took, 500ms) << "probe " << i;
        std::this_thread::sleep_for(300ms);
    }
    done = true;
    trickle.join();
    // Every trickling client is still connected, still waiting for its answer.
    int open = 0;
    for (const int sock : tricklers) {
        char byte = 0;
        open += (::recv(sock, &byte, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN) ? 1 : 0;
        ::close(sock);
    }
    EXPECT_EQ(open, kTricklers);
}

// A request whose headers are not all in by the deadline is answered 408 and its connection
// closed, however steadily it trickles; so is one that sends nothing at all.
TEST_F(SlowClientsTest, ARequestThatDoesNotArriveByItsDeadlineIsCutOff) {
    ServerOptions options = seededOptions();
    options.requestDeadline = 600ms;
    startWith(options);

    const int silent = connectTo(server->port());
    const int trickling = connectTo(server->port());
    ASSERT_GE(silent, 0);
    ASSERT_GE(trickling, 0);
    const auto start = Clock::now();
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        sendText(trickling, "GET /datafeeder/DisplayAdvert.jsp HTTP/1.1\r\n");
        for (int line = 0; !done && line < 100; ++line) {
            sendText(trickling, "X-Line: " + std::to_string(line) + "\r\n");
            std::this_thread::sleep_for(100ms);
        }
    });
    const std::string answer = readUntilClosed(trickling, 4s);
    const auto took = Clock::now() - start;
    done = true;
    trickle.join();
    EXPECT_EQ(answer.rfind("HTTP/1.1 408", 0), 0U) << answer;
    EXPECT_GE(took, 500ms);
    EXPECT_LT(took, 3s);
    const std::string nothing = readUntilClosed(silent, 3s);
    EXPECT_EQ(nothing.rfind("HTTP/1.1 408", 0), 0U) << nothing;
    EXPECT_LT(Clock::now() - start, 3s);
    ::close(silent);
    ::close(trickling);

    // A request sent whole is answered as before.
    EXPECT_EQ(probe().first, 200);
}

// When every answering thread is busy, one more request is answered 503 at once rather than
// waiting for one to be free; once they are free, requests are answered again.
TEST(HttpConnectionsTest, RequestsBeyondTheLimitAreAnswered503AtOnce) {
    HttpConnections http({.requestDeadline = 5s, .mostRequestsAtOnce = 2});
    std::mutex mutex;
    std::condition_variable changed;
    int entered = 0;
    bool release = false;
    http.Get("/held", [&](const httplib::Request&, httplib::Response& response) {
        std::unique_lock lock(mutex);
        ++entered;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        response.set_content("held", "text/plain");
    });
    http.Get("/now", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("now", "text/plain");
    });
    const int port = http.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    http.widenBacklog();
    std::thread serving([&] { http.listen_after_bind(); });
    const auto get = [port](const char* path) {
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(10s);
        client.set_read_timeout(10s);
        const auto start = Clock::now();
        const auto answer = client.Get(path);
        return std::pair{answer ? answer->status : -1, Clock::now() - start};
    };

    std::atomic<int> held{0};
    std::vector<std::thread> waiting;
    for (int i = 0; i < 2; ++i) {
        waiting.emplace_back([&] { held += get("/held").first == 200 ? 1 : 0; });
    }
    bool bothHeld = false;
    {
        std::unique_lock lock(mutex);
        bothHeld = changed.wait_for(lock, 10s, [&] { return entered == 2; });
    }
    EXPECT_TRUE(bothHeld);
    if (bothHeld) {
        const auto [status, took] = get("/now");
        EXPECT_EQ(status, 503);
        EXPECT_LT(took, 500ms);
    }

    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    for (auto& thread : waiting) {
        thread.join();
    }
    EXPECT_EQ(held.load(), 2);
    EXPECT_EQ(get("/now").first, 200);
    http.stop();
    serving.join();
    http.closeAll();
}

}  // namespace
}  // namespace kavex::services::testing
