#include "platform/spreadsheet/detail/FileTexts.h"

#include <string_view>

namespace kavex::sheet::detail {

namespace {

constexpr const char* kEscapedKey = "bytes";

// The length of the well-formed UTF-8 character at text[i], or 0 when the byte there starts
// none (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut short).
std::size_t characterLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = characterLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = characterLength(text, i);
        if (length == 0) {
            const auto b = static_cast<unsigned char>(text[i]);
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
            ++i;
        } else if (text[i] == '\\') {
            out += "\\\\";
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text) {
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) >= 0 &&
                   hex(text[i + 3]) >= 0) {
            out += static_cast<char>(hex(text[i + 2]) * 16 + hex(text[i + 3]));
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool isEscapedText(const FileJson& j) {
    return j.is_object() && j.size() == 1 && j.contains(kEscapedKey) &&
           j.at(kEscapedKey).is_string();
}

std::string pointerStep(const std::string& pointer, const std::string& step) {
    std::string token;
    for (char c : step) {
        token += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
    }
    return pointer + "/" + token;
}

}  // namespace

void escapeTexts(FileJson& root) {
    if (root.is_string()) {
        const auto& text = root.get_ref<const std::string&>();
        if (!validUtf8(text)) {
            root = FileJson{{kEscapedKey, escaped(text)}};
        }
        return;
    }
    if (root.is_object()) {
        // Keys are the format's own words, never the workbook's texts.
        for (auto& [key, value] : root.items()) {
            escapeTexts(value);
        }
    } else if (root.is_array()) {
        for (auto& value : root) {
            escapeTexts(value);
        }
    }
}

namespace {

std::optional<std::string> unescapeAt(FileJson& j, const std::string& pointer) {
    if (isEscapedText(j)) {
        auto text = unescaped(j.at(kEscapedKey).get_ref<const std::string&>());
        if (!text) {
            return pointer;
        }
        j = std::move(*text);
        return std::nullopt;
    }
    if (j.is_object()) {
        for (auto& [key, value] : j.items()) {
            if (auto bad = unescapeAt(value, pointerStep(pointer, key))) {
                return bad;
            }
        }
    } else if (j.is_array()) {
        for (std::size_t i = 0; i < j.size(); ++i) {
            if (auto bad = unescapeAt(j[i], pointer + "/" + std::to_string(i))) {
                return bad;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> unescapeTexts(FileJson& root) {
    return unescapeAt(root, "");
}

}  // namespace kavex::sheet::detail
