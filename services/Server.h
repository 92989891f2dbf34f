#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "services/Backend.h"
#include "services/ServerOptions.h"

namespace kavex::services {

class HttpConnections;

// The stand-in for both outside servers on one HTTP port: the web service under /datafeeder/ and
// the quote service at /tools/XM01 (docs/services.md). Started in-process for tests, the demo and
// scenarios (port 0: a free port on 127.0.0.1), or by `kavex serve`.
//
//   services::Server server;            // seeds from data/seeds
//   server.start();                     // listens on a background thread
//   std::string url = server.baseUrl(); // "http://127.0.0.1:41234"
//   server.setFault(services::Fault::Http500);
//   server.backend().hasAction("11", "Screen Refresh");
class Server {
  public:
    explicit Server(ServerOptions options = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and starts listening. Throws std::runtime_error when the address cannot be bound,
    // with the system's reason ("cannot listen on 127.0.0.1:8642: Address already in use").
    void start();
    // Stops listening and waits for the answers under way; a no-op when stopped.
    void stop();
    bool listening() const;

    // The bound port (after start()), and "http://HOST:PORT".
    int port() const;
    std::string baseUrl() const;

    // Switches the fault of both services. "down" stops listening at once; leaving it listens again
    // on the same port.
    void setFault(Fault fault);
    Fault fault() const { return backend_.fault(); }

    Backend& backend() noexcept { return backend_; }
    const Backend& backend() const noexcept { return backend_; }

  private:
    void listenOnBoundPort();
    void stopListening();

    ServerOptions options_;
    Backend backend_;
    mutable std::mutex mutex_;
    std::mutex logMutex_;  // one request line at a time
    std::unique_ptr<HttpConnections> http_;
    std::thread thread_;
    int port_ = 0;
    bool started_ = false;
};

}  // namespace kavex::services
