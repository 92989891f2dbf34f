#include "services/HttpConnections.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "services/WithoutBrotli.h"

namespace kavex::services {

namespace {

using Clock = std::chrono::steady_clock;

// Headers longer than this are handed on unfinished; the library refuses them (414, 400).
constexpr std::size_t kMostHeaderBytes = 16 * 1024;

bool headersComplete(const std::string& received) {
    return received.find("\r\n\r\n") != std::string::npos ||
           received.find("\n\n") != std::string::npos;
}

int millisUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, 60'000));
}

bool waitFor(int sock, short events, int millis) {
    pollfd entry{sock, events, 0};
    int rc = 0;
    do {
        rc = ::poll(&entry, 1, millis);
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

void closeSocket(int sock) {
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

// Answers a connection without a thread and closes it: the answer is small enough for an empty
// send buffer, and what the client already sent is read first so that closing does not reset
// the connection before the client has read the answer.
void refuse(int sock, int status, const char* reason) {
    const std::string body = std::string(reason) + "\n";
    const std::string text =
        "HTTP/1.1 " + std::to_string(status) + " " + reason +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n" + (status == 503 ? "Retry-After: 1\r\n" : "") + "\r\n" + body;
    [[maybe_unused]] const ssize_t sent =
        ::send(sock, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(sock, SHUT_WR);
    char drain[4096];
    while (::recv(sock, drain, sizeof drain, MSG_DONTWAIT) > 0) {
    }
    ::close(sock);
}

void addressOf(int sock, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? ::getpeername(sock, raw, &length) : ::getsockname(sock, raw, &length)) != 0) {
        return;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

// A request's connection as the library reads and writes it: first what has already arrived,
// then the socket, never past the request's deadline.
class RequestStream : public httplib::Stream {
  public:
    RequestStream(int sock, std::string received, Clock::time_point deadline,
                  std::chrono::microseconds writeTimeout)
        : sock_(sock),
          received_(std::move(received)),
          deadline_(deadline),
          writeTimeout_(writeTimeout) {}

    bool is_readable() const override {
        return offset_ < received_.size() || waitFor(sock_, POLLIN, 0);
    }

    bool is_writable() const override { return waitFor(sock_, POLLOUT, writeMillis()); }

    ssize_t read(char* ptr, size_t size) override {
        if (offset_ < received_.size()) {
            const std::size_t n = std::min(size, received_.size() - offset_);
            std::memcpy(ptr, received_.data() + offset_, n);
            offset_ += n;
            return static_cast<ssize_t>(n);
        }
        while (true) {
            const ssize_t n = ::recv(sock_, ptr, size, MSG_DONTWAIT);
            if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                return n;
            }
            if (Clock::now() >= deadline_ || !waitFor(sock_, POLLIN, millisUntil(deadline_))) {
                return -1;
            }
        }
    }

    ssize_t write(const char* ptr, size_t size) override {
        while (true) {
            const ssize_t n = ::send(sock_, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                return n;
            }
            if (!waitFor(sock_, POLLOUT, writeMillis())) {
                return -1;
            }
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        addressOf(sock_, true, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override {
        addressOf(sock_, false, ip, port);
    }

    socket_t socket() const override { return sock_; }

    // What arrived beyond the request (the start of the next one on a kept connection).
    std::string leftover() const { return received_.substr(offset_); }

  private:
    int writeMillis() const {
        return static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(writeTimeout_).count());
    }

    int sock_;
    std::string received_;
    std::size_t offset_ = 0;
    Clock::time_point deadline_;
    std::chrono::microseconds writeTimeout_;
};

// The library hands each accepted connection to its task queue; this one passes it straight to
// HttpConnections::process_and_close_socket, which returns at once.
class RunAtOnce : public httplib::TaskQueue {
  public:
    void enqueue(std::function<void()> job) override { job(); }
    void shutdown() override {}
};

}  // namespace

HttpConnections::HttpConnections(Limits limits)
    : limits_(limits), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    new_task_queue = [] { return new RunAtOnce; };
    watcher_ = std::thread([this] { watch(); });
}

HttpConnections::~HttpConnections() {
    closeAll();
}

void HttpConnections::widenBacklog() {
    ::listen(svr_sock_, SOMAXCONN);
}

void HttpConnections::closeAll() {
    std::deque<Waiting> unanswered;
    {
        std::lock_guard lock(mutex_);
        if (closing_) {
            return;
        }
        closing_ = true;
        unanswered.swap(ready_);
        busy_ -= unanswered.size();
    }
    for (const Waiting& connection : unanswered) {
        closeSocket(connection.sock);
    }
    work_.notify_all();
    wake();
    watcher_.join();
    for (auto& thread : answering_) {
        thread.join();
    }
    answering_.clear();
    ::close(wakeFd_);
}

bool HttpConnections::process_and_close_socket(int sock) {
    ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
    {
        std::lock_guard lock(mutex_);
        if (!closing_) {
            arriving_.push_back({sock, {}, Clock::now() + limits_.requestDeadline, true});
            wake();
            return true;
        }
    }
    closeSocket(sock);
    return false;
}

void HttpConnections::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

// The watching thread: reads what arrives on every connection until a request's headers are in
// (then it is dispatched) or its deadline passes (then it is answered 408 and closed).
void HttpConnections::watch() {
    std::vector<Waiting> watched;
    std::vector<pollfd> polled;
    while (true) {
        std::deque<Waiting> added;
        {
            std::lock_guard lock(mutex_);
            if (closing_) {
                break;
            }
            added.swap(arriving_);
        }
        for (Waiting& connection : added) {
            if (headersComplete(connection.received)) {
                dispatch(std::move(connection));
            } else if (watched.size() >= limits_.mostWaiting) {
                refuse(connection.sock, 503, "Service Unavailable");
            } else {
                watched.push_back(std::move(connection));
            }
        }

        polled.assign(1, pollfd{wakeFd_, POLLIN, 0});
        Clock::time_point soonest = Clock::now() + std::chrono::seconds(60);
        for (const Waiting& connection : watched) {
            polled.push_back(pollfd{connection.sock, POLLIN, 0});
            soonest = std::min(soonest, connection.deadline);
        }
        if (::poll(polled.data(), polled.size(), millisUntil(soonest)) < 0 && errno != EINTR) {
            break;
        }
        if ((polled[0].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &count, sizeof count);
        }

        const auto now = Clock::now();
        std::vector<Waiting> still;
        still.reserve(watched.size());
        for (std::size_t i = 0; i < watched.size(); ++i) {
            Waiting& connection = watched[i];
            if (polled[i + 1].revents != 0) {
                char chunk[4096];
                const ssize_t n = ::recv(connection.sock, chunk, sizeof chunk, MSG_DONTWAIT);
                if (n == 0 ||
                    (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                    closeSocket(connection.sock);  // the client left
                    continue;
                }
                if (n > 0) {
                    if (!connection.counting) {
                        connection.counting = true;
                        connection.deadline = now + limits_.requestDeadline;
                    }
                    connection.received.append(chunk, static_cast<std::size_t>(n));
                    if (headersComplete(connection.received) ||
                        connection.received.size() > kMostHeaderBytes) {
                        dispatch(std::move(connection));
                        continue;
                    }
                }
            }
            if (now >= connection.deadline) {
                if (connection.counting) {
                    refuse(connection.sock, 408, "Request Timeout");
                } else {
                    closeSocket(connection.sock);  // a kept connection nobody used
                }
                continue;
            }
            still.push_back(std::move(connection));
        }
        watched.swap(still);
    }
    for (const Waiting& connection : watched) {
        closeSocket(connection.sock);
    }
    std::lock_guard lock(mutex_);
    for (const Waiting& connection : arriving_) {
        closeSocket(connection.sock);
    }
    arriving_.clear();
}

void HttpConnections::dispatch(Waiting connection) {
    {
        std::lock_guard lock(mutex_);
        if (!closing_ && busy_ < limits_.mostRequestsAtOnce) {
            ++busy_;
            ready_.push_back(std::move(connection));
            if (idle_ >= ready_.size()) {
                work_.notify_one();
            } else {
                answering_.emplace_back([this] { answer(); });
            }
            return;
        }
    }
    refuse(connection.sock, 503, "Service Unavailable");
}

// An answering thread: kept for the next request once it has answered one.
void HttpConnections::answer() {
    std::unique_lock lock(mutex_);
    while (true) {
        ++idle_;
        work_.wait(lock, [this] { return closing_ || !ready_.empty(); });
        --idle_;
        if (ready_.empty()) {
            return;  // closing
        }
        Waiting connection = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        answerOne(std::move(connection));
        lock.lock();
        --busy_;
    }
}

void HttpConnections::answerOne(Waiting connection) {
    const auto writeTimeout =
        std::chrono::seconds(write_timeout_sec_) + std::chrono::microseconds(write_timeout_usec_);
    RequestStream stream(connection.sock, withoutBrotli(std::move(connection.received)),
                         connection.deadline, writeTimeout);
    bool closeAfter = false;
    {
        std::lock_guard lock(mutex_);
        closeAfter = closing_;
    }
    bool closed = false;
    const bool answered = process_request(stream, closeAfter, closed, nullptr);
    if (!answered || closed || closeAfter) {
        closeSocket(connection.sock);
        return;
    }
    Waiting next;
    next.sock = connection.sock;
    next.received = stream.leftover();
    next.counting = !next.received.empty();
    next.deadline = Clock::now() + (next.counting ? limits_.requestDeadline : limits_.idleTimeout);
    keep(std::move(next));
}

void HttpConnections::keep(Waiting connection) {
    {
        std::lock_guard lock(mutex_);
        if (!closing_) {
            arriving_.push_back(std::move(connection));
            wake();
            return;
        }
    }
    closeSocket(connection.sock);
}

}  // namespace kavex::services
