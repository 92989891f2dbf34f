#include "addin/core/Strings.h"

namespace kavex::addin::core {

std::string ReplaceString(std::string_view text, std::string_view find,
                          std::string_view replacement) {
    try {
        if (find.empty()) {
            return std::string(text);
        }
        std::string result;
        result.reserve(text.size());
        std::size_t start = 0;
        while (true) {
            const std::size_t at = text.find(find, start);
            if (at == std::string_view::npos) {
                result.append(text.substr(start));
                return result;
            }
            result.append(text.substr(start, at - start));
            result.append(replacement);
            start = at + find.size();
        }
    } catch (...) {
        return {};
    }
}

std::vector<std::string> SplitString(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> parts;
    if (text.empty()) {
        return parts;
    }
    if (delimiter.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(delimiter, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + delimiter.size();
    }
}

std::string TrimWhitespace(std::string_view text) {
    constexpr std::string_view whitespace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(whitespace);
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(whitespace) - first + 1));
}

std::string SqlText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out;
}

std::string SqlQuoted(std::string_view text) {
    return "'" + SqlText(text) + "'";
}

std::string URLEncode(std::string_view value) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            encoded += ch;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 0x0F];
        }
    }
    return encoded;
}

}  // namespace kavex::addin::core
