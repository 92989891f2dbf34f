#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/base/DataDirectory.h"

namespace kavex::services {

// The folder of the synthetic market data (symbols, symbol-list changes, dividends and splits).
inline std::filesystem::path defaultSeedDirectory() {
    return base::dataDirectory() / "seeds";
}

struct ServerOptions {
    std::filesystem::path seedDirectory = defaultSeedDirectory();
    std::string host = "127.0.0.1";
    // 0 picks a free port.
    int port = 0;
    // How long the "slow" fault holds an answer back. Longer than the client's time-out.
    std::chrono::milliseconds slowDelay{45'000};
    // A request's line and headers must be in this long after its connection opened (on a kept
    // connection, after the request's first byte); a client that trickles them is answered 408
    // and cut off.
    std::chrono::milliseconds requestDeadline{5000};
    // Requests answered at once; one more is answered 503 at once rather than queued.
    std::size_t mostRequestsAtOnce = 256;
    // Prices change once per bucket of this length.
    std::chrono::seconds priceBucket{60};
    // When set, hears one line per request answered ("GET /tools/XM01?... 200"), from the
    // server's threads one at a time.
    std::function<void(const std::string&)> requestLog;
};

}  // namespace kavex::services
