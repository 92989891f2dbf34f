#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "services/QuoteService.h"
#include "services/Server.h"
#include "services/WebService.h"
#include "tools/kavex/runner/Commands.h"

namespace kavex::tool {

namespace {

constexpr int defaultServePort = 8642;

constexpr const char* serveUsage =
    "usage: kavex serve [--port N] [--log]\n"
    "\n"
    "Runs the stand-in web service (/datafeeder/...) and quote service (/tools/XM01) on\n"
    "127.0.0.1, port 8642 unless --port says otherwise (0 picks a free port), until Ctrl+C.\n"
    "--log prints one line per request answered (method, path and query, status).\n"
    "The ready account is demo / demo. The protocol is described in docs/services.md.\n";

}  // namespace

int runServe(const std::vector<std::string>& args) {
    services::ServerOptions options;
    options.port = defaultServePort;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << serveUsage;
            return 0;
        }
        if (args[i] == "--log") {
            options.requestLog = [](const std::string& line) { std::cout << line << std::endl; };
            continue;
        }
        if (args[i] == "--port" && i + 1 == args.size()) {
            std::cerr << "kavex serve: --port needs a value (a port number from 0 to 65535)\n";
            return 2;
        }
        if (args[i] == "--port") {
            const std::string& text = args[++i];
            try {
                std::size_t used = 0;
                const int port = std::stoi(text, &used);
                if (used != text.size() || port < 0 || port > 65535) {
                    throw std::out_of_range(text);
                }
                options.port = port;
            } catch (const std::exception&) {
                std::cerr << "kavex serve: --port needs a number from 0 to 65535, not '" << text
                          << "'\n";
                return 2;
            }
            continue;
        }
        std::cerr << "kavex serve: unknown argument '" << args[i] << "'\n" << serveUsage;
        return 2;
    }

    // The server's threads inherit the blocked signals, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        services::Server server(options);
        server.start();
        std::cout << "Kavex services on " << server.baseUrl() << "\n"
                  << "  web service   " << server.baseUrl() << services::webServicePrefix
                  << "Login.jsp ...\n"
                  << "  quote service " << server.baseUrl() << services::quoteServicePath << "\n"
                  << "Account demo / demo. Ctrl+C stops." << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
        std::cout << "Stopped." << std::endl;
    } catch (const std::exception& error) {
        std::cerr << "kavex serve: " << error.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kavex::tool
