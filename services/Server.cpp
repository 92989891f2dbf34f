#include "services/Server.h"

#include "services/HttpConnections.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kavex::services {

namespace {

// Why host:port cannot be bound, in the system's words.
std::string bindFailure(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        rc != 0) {
        return gai_strerror(rc);
    }
    std::string reason = "the address cannot be bound";
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        const int sock = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (sock < 0) {
            reason = std::strerror(errno);
            continue;
        }
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        const int rc = ::bind(sock, a->ai_addr, a->ai_addrlen);
        const int error = errno;
        ::close(sock);
        if (rc != 0) {
            reason = std::strerror(error);
            break;
        }
    }
    freeaddrinfo(found);
    return reason;
}

}  // namespace

Server::Server(ServerOptions options) : options_(std::move(options)), backend_(options_) {}

Server::~Server() {
    stop();
}

void Server::start() {
    std::lock_guard lock(mutex_);
    if (started_) {
        return;
    }
    started_ = true;
    if (backend_.fault() != Fault::Down) {
        listenOnBoundPort();
    }
}

void Server::stop() {
    std::lock_guard lock(mutex_);
    started_ = false;
    stopListening();
}

bool Server::listening() const {
    std::lock_guard lock(mutex_);
    return http_ != nullptr;
}

int Server::port() const {
    std::lock_guard lock(mutex_);
    return port_;
}

std::string Server::baseUrl() const {
    return "http://" + options_.host + ":" + std::to_string(port());
}

void Server::setFault(Fault fault) {
    std::lock_guard lock(mutex_);
    backend_.setFault(fault);
    if (!started_) {
        return;
    }
    if (fault == Fault::Down) {
        stopListening();
    } else if (http_ == nullptr) {
        listenOnBoundPort();
    }
}

// Binds (the configured port the first time, the same port afterwards) and serves on a thread of
// its own. Called with mutex_ held.
void Server::listenOnBoundPort() {
    // Clients that send their requests slowly must not hold up the others: a request has a
    // deadline, and one that finds every answering thread busy is answered 503 at once.
    auto http = std::make_unique<HttpConnections>(HttpConnections::Limits{
        .requestDeadline = options_.requestDeadline,
        .idleTimeout = std::chrono::seconds(1),
        .mostRequestsAtOnce = options_.mostRequestsAtOnce,
        .mostWaiting = 4096,
    });
    // SO_REUSEADDR alone: the library's default also sets SO_REUSEPORT, which would let a second
    // server share a port that is already taken instead of failing.
    http->set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http->set_payload_max_length(64 * 1024);
    // Every method but GET is refused, HEAD and OPTIONS included (the library would answer HEAD
    // as GET and OPTIONS with 404).
    http->set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (request.method == "GET") {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        response.status = 405;
        response.set_header("Allow", "GET");
        if (request.method != "HEAD") {
            response.set_content("Only GET is served", "text/plain");
        }
        return httplib::Server::HandlerResponse::Handled;
    });
    if (options_.requestLog) {
        http->set_logger(
            [this](const httplib::Request& request, const httplib::Response& response) {
                const std::string& target = request.target.empty() ? request.path : request.target;
                std::lock_guard lock(logMutex_);
                options_.requestLog(request.method + " " + target + " " +
                                    std::to_string(response.status));
            });
    }
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        ServiceRequest serviceRequest;
        serviceRequest.path = request.path;
        serviceRequest.params = request.params;
        serviceRequest.referer = request.get_header_value("Referer");
        const ServiceAnswer answer = backend_.handle(serviceRequest);
        response.status = answer.status;
        response.set_content(answer.body, answer.contentType.c_str());
    };
    http->Get(".*", serve);

    const int wanted = port_ != 0 ? port_ : options_.port;
    int bound = 0;
    if (wanted == 0) {
        bound = http->bind_to_any_port(options_.host);
    } else if (http->bind_to_port(options_.host, wanted)) {
        bound = wanted;
    }
    if (bound <= 0) {
        throw std::runtime_error("cannot listen on " + options_.host + ":" +
                                 std::to_string(wanted) + ": " +
                                 bindFailure(options_.host, wanted));
    }
    http->widenBacklog();
    port_ = bound;
    HttpConnections* raw = http.get();
    http_ = std::move(http);
    backend_.resume();
    thread_ = std::thread([raw] { raw->listen_after_bind(); });
    // The socket already accepts connections; waiting for the loop makes a stop() that follows at
    // once reach it (a stop before the loop runs would be lost and the join would hang).
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!raw->is_running() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Called with mutex_ held.
void Server::stopListening() {
    if (http_ == nullptr) {
        return;
    }
    // Answers held back by the slow fault must finish before the server's threads can be joined.
    backend_.release();
    http_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
    http_->closeAll();
    http_.reset();
}

}  // namespace kavex::services
