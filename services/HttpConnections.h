#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kavex::services {

// An HTTP server whose connections do not each hold a thread while their request arrives. One
// thread watches every connection until its request line and headers are in, within a deadline
// for the whole request (a client that trickles a line a second is cut off at the deadline, with
// 408); only then does a request get a thread to be answered on. When every such thread is busy
// the request is answered 503 at once instead of waiting in a queue, and so is a connection
// beyond the number that can be watched. Routing and answering are the library's own.
//
//   HttpConnections http({.requestDeadline = 5s, .mostRequestsAtOnce = 256});
//   http.Get(".*", handler);
//   http.bind_to_any_port("127.0.0.1");
//   http.widenBacklog();
//   std::thread serving([&] { http.listen_after_bind(); });
//   ...
//   http.stop(); serving.join(); http.closeAll();
class HttpConnections : public httplib::Server {
  public:
    struct Limits {
        // From a connection's first byte (or its opening) to the end of its request's headers.
        std::chrono::milliseconds requestDeadline{5000};
        // A kept-alive connection may wait this long for its next request.
        std::chrono::milliseconds idleTimeout{1000};
        // Requests answered at once, each on a thread; more are answered 503.
        std::size_t mostRequestsAtOnce = 256;
        // Connections whose requests are still arriving; more are answered 503.
        std::size_t mostWaiting = 4096;
    };

    explicit HttpConnections(Limits limits);
    ~HttpConnections() override;
    HttpConnections(const HttpConnections&) = delete;
    HttpConnections& operator=(const HttpConnections&) = delete;

    // After binding: lets the kernel hold many connections that arrive together until they are
    // accepted. The library listens with a queue of 5, so a burst of clients has connections
    // dropped and retried only a second later.
    void widenBacklog();

    // Closes every connection and waits for the answers under way. Call after stop() and after
    // listen_after_bind() has returned.
    void closeAll();

  private:
    using Clock = std::chrono::steady_clock;

    // A connection between two requests: what has arrived of the next one, and until when the
    // rest may take.
    struct Waiting {
        int sock = -1;
        std::string received;
        Clock::time_point deadline;
        bool counting = false;  // the deadline runs from the request's first byte
    };

    // Called by the library for every accepted connection (on its accepting thread, see
    // new_task_queue in the constructor): hands it to the watching thread.
    bool process_and_close_socket(int sock) override;

    void watch();
    void wake();
    // Answers a request whose headers are in, on a free thread, or 503 when none is free.
    void dispatch(Waiting connection);
    void answer();
    void answerOne(Waiting connection);
    void keep(Waiting connection);

    const Limits limits_;
    std::mutex mutex_;
    std::condition_variable work_;
    std::deque<Waiting> arriving_;  // for the watching thread
    std::deque<Waiting> ready_;     // for the answering threads
    std::vector<std::thread> answering_;
    std::size_t idle_ = 0;
    std::size_t busy_ = 0;
    bool closing_ = false;
    int wakeFd_ = -1;
    std::thread watcher_;
};

}  // namespace kavex::services
