#include "services/Server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <stdexcept>

namespace kavex::services {

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
    auto http = std::make_unique<httplib::Server>();
    // SO_REUSEADDR alone: the library's default also sets SO_REUSEPORT, which would let a second
    // server share a port that is already taken instead of failing.
    http->set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http->set_keep_alive_timeout(1);
    http->set_read_timeout(5, 0);
    http->set_payload_max_length(64 * 1024);
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
    const auto notAllowed = [](const httplib::Request&, httplib::Response& response) {
        response.status = 405;
        response.set_content("Only GET is served", "text/plain");
    };
    http->Post(".*", notAllowed);
    http->Put(".*", notAllowed);
    http->Delete(".*", notAllowed);
    http->Patch(".*", notAllowed);

    const int wanted = port_ != 0 ? port_ : options_.port;
    int bound = 0;
    if (wanted == 0) {
        bound = http->bind_to_any_port(options_.host);
    } else if (http->bind_to_port(options_.host, wanted)) {
        bound = wanted;
    }
    if (bound <= 0) {
        throw std::runtime_error("cannot listen on " + options_.host + ":" +
                                 std::to_string(wanted));
    }
    port_ = bound;
    httplib::Server* raw = http.get();
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
    http_.reset();
}

}  // namespace kavex::services
