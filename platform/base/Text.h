#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kavex::base {

// Letter case of names, keys and keywords (sheet and defined names, function names, registry
// keys, format names, SQL words, user IDs, script words). Only the ASCII letters have a case
// here: every other byte, the bytes of UTF-8 characters included, stays as it is, so that the
// result never depends on the C library's locale.

constexpr char toLowerAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char toUpperAscii(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = toLowerAscii(c);
    }
    return out;
}

inline std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = toUpperAscii(c);
    }
    return out;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) noexcept {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The runtime's Trim: the text without the blanks (spaces) at either end. Tabs, line breaks and
// every other character stay.
inline std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Texts are UTF-8; the host counts characters, not bytes, wherever a user sees positions (the
// spans of a cell's text). A continuation byte (10xxxxxx) never starts a character.
constexpr bool startsCharacter(char c) noexcept {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The number of characters of a UTF-8 text.
constexpr std::size_t characterCount(std::string_view text) noexcept {
    std::size_t count = 0;
    for (char c : text) {
        count += startsCharacter(c) ? 1 : 0;
    }
    return count;
}

// The byte offset at which character `index` (0-based) begins; text.size() when the text is
// shorter.
constexpr std::size_t characterOffset(std::string_view text, std::size_t index) noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (startsCharacter(text[i])) {
            if (index == 0) {
                return i;
            }
            --index;
        }
    }
    return text.size();
}

// Characters from..from+count-1 (0-based) of a UTF-8 text; count npos runs to the end.
inline std::string characterSpan(std::string_view text, std::size_t from,
                                 std::size_t count = std::string_view::npos) {
    const std::size_t begin = characterOffset(text, from);
    if (count == std::string_view::npos) {
        return std::string(text.substr(begin));
    }
    const std::size_t end = begin + characterOffset(text.substr(begin), count);
    return std::string(text.substr(begin, end - begin));
}

}  // namespace kavex::base
