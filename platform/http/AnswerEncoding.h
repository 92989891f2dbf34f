#pragma once

#include <string_view>

namespace kavex::http {

// The Accept-Encoding a request to url offers. On loopback the answer travels no wire worth
// saving, and compressing it would only cost both ends time: "identity". To any other host,
// "gzip": a fraction of the bytes for a little time. Never brotli: at the quality servers
// default to it costs far more time than the few bytes it saves over gzip (docs/services.md has
// the figures).
std::string_view acceptedEncodingFor(std::string_view url);

}  // namespace kavex::http
