#include "platform/http/AnswerEncoding.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <string>

namespace kavex::http {

namespace {

bool isLoopback(const std::string& host) {
    if (host == "localhost") {
        return true;
    }
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;  // 127.0.0.0/8
    }
    // An IPv6 address comes in brackets.
    const std::string bare = host.size() > 2 && host.front() == '[' && host.back() == ']'
                                 ? host.substr(1, host.size() - 2)
                                 : host;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, bare.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

// The url's host in lower case; empty when the url does not parse.
std::string hostOf(std::string_view url) {
    std::string host;
    CURLU* parsed = curl_url();
    if (parsed == nullptr) {
        return host;
    }
    char* part = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, std::string(url).c_str(), 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
        host = part;
        curl_free(part);
    }
    curl_url_cleanup(parsed);
    for (char& c : host) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return host;
}

}  // namespace

std::string_view acceptedEncodingFor(std::string_view url) {
    return isLoopback(hostOf(url)) ? "identity" : "gzip";
}

}  // namespace kavex::http
