#include "services/WithoutBrotli.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kavex::services {

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// "gzip, br;q=1.0, deflate" -> "gzip, deflate".
std::string offersWithoutBrotli(std::string_view offers) {
    std::string kept;
    while (true) {
        const std::size_t comma = offers.find(',');
        const std::string_view offer = trimmed(offers.substr(0, comma));
        if (!offer.empty() && !sameLetters(trimmed(offer.substr(0, offer.find(';'))), "br")) {
            kept += kept.empty() ? "" : ", ";
            kept += offer;
        }
        if (comma == std::string_view::npos) {
            return kept;
        }
        offers.remove_prefix(comma + 1);
    }
}

}  // namespace

std::string withoutBrotli(std::string request) {
    constexpr std::string_view kName = "accept-encoding:";
    const std::size_t end = request.find("\r\n\r\n");
    std::size_t line = request.find('\n');  // the header lines start after the request line
    while (line != std::string::npos && (end == std::string::npos || line < end)) {
        const std::size_t start = line + 1;
        const std::size_t next = request.find('\n', start);
        const std::size_t stop = next == std::string::npos ? request.size() : next;
        const std::string_view text = std::string_view(request).substr(start, stop - start);
        if (text.size() >= kName.size() && sameLetters(text.substr(0, kName.size()), kName)) {
            const bool cr = !text.empty() && text.back() == '\r';
            const std::string_view value =
                text.substr(kName.size(), text.size() - kName.size() - (cr ? 1 : 0));
            const std::string replaced = " " + offersWithoutBrotli(value);
            request.replace(start + kName.size(), value.size(), replaced);
            line = request.find('\n', start);
            continue;
        }
        line = next;
    }
    return request;
}

}  // namespace kavex::services
