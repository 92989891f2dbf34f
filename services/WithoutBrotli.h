#pragma once

#include <string>

namespace kavex::services {

// The request as received with "br" taken out of its Accept-Encoding offers, so that the HTTP
// library, which prefers brotli whenever a client offers it and compresses at its slowest
// quality, answers with gzip or plain text instead (docs/services.md has the figures). Only the
// header block is looked at; a request without the header comes back unchanged.
std::string withoutBrotli(std::string request);

}  // namespace kavex::services
