#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kavex::http {

// How a request ended. Everything but Success and HttpError means no answer came from a server.
enum class Outcome {
    Pending,            // not sent yet, or still running
    Success,            // an answer with a 2xx status
    HttpError,          // an answer with another status (404, 500, ...)
    ConnectionRefused,  // the host was found but nothing accepted the connection
    NameNotResolved,    // the host name could not be looked up
    TimedOut,           // no complete answer within the time-out
    Aborted,            // abort() was called
    Failed,             // any other transport failure (a broken connection, an empty answer, ...)
};

std::string_view outcomeName(Outcome outcome);

// An HTTP request, XMLHTTP style: open, setRequestHeader, send, then readyState (0 unsent,
// 1 opened, 2 sent, 3 receiving, 4 done), status, statusText, responseText. A synchronous send
// blocks until the answer or the time-out. An asynchronous send connects and sends what it can
// without waiting and returns; the transfer advances and completes inside the message loop's
// DoEvents (or poll()), on the calling thread.
// A transport failure does not raise: the request completes (readyState 4) with status 0 and an
// outcome that names the failure. Misuse (send before open, status before completion, a method
// other than GET, an address that is not http or https) raises kavex::base::PlatformError.
class Request {
  public:
    static constexpr std::chrono::milliseconds defaultTimeout{30000};

    Request();
    ~Request();  // an asynchronous request still running is abandoned
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    void open(std::string_view method, std::string_view url, bool async = false);
    void setRequestHeader(std::string_view name, std::string_view value);
    // The whole request's time-out, resolving and connecting included (default 30 seconds).
    void setTimeout(std::chrono::milliseconds timeout);
    void send();
    // Stops a running request (outcome Aborted, readyState 4); nothing when it is not running.
    void abort();

    int readyState() const;
    long status() const;
    std::string statusText() const;
    const std::string& responseText() const;

    Outcome outcome() const;
    // The transport's own words for a failure; empty on success and for HTTP errors.
    const std::string& errorDescription() const;

    // Called on each readyState change of an asynchronous request (from inside DoEvents).
    void onReadyStateChange(std::function<void()> handler);

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// Advances every asynchronous request without blocking and completes those that finished.
// Returns how many are still running. The message loop calls it on each turn; tests may too.
std::size_t poll();
std::size_t runningRequests();

}  // namespace kavex::http
