#include "tools/kavex/runner/ScriptLexer.h"

#include <string>

namespace kavex::tool {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a quoted token starting at line[pos] == '"'; leaves pos after the closing quote.
std::string readQuoted(std::string_view line, std::size_t& pos) {
    const std::size_t start = pos;
    std::string token;
    ++pos;
    while (true) {
        if (pos >= line.size()) {
            throw LexError(start + 1, "unterminated quoted text");
        }
        const char c = line[pos];
        if (c == '"') {
            if (pos + 1 < line.size() && line[pos + 1] == '"') {
                token += '"';
                pos += 2;
                continue;
            }
            ++pos;
            if (pos < line.size() && !isBlank(line[pos])) {
                throw LexError(pos + 1, "a blank must follow the closing quote");
            }
            return token;
        }
        if (c != '\\') {
            token += c;
            ++pos;
            continue;
        }
        if (pos + 1 >= line.size()) {
            throw LexError(pos + 1, "a backslash ends the line");
        }
        const char escape = line[pos + 1];
        switch (escape) {
            case 'n':
                token += '\n';
                break;
            case 'r':
                token += '\r';
                break;
            case 't':
                token += '\t';
                break;
            case '\\':
                token += '\\';
                break;
            case '"':
                token += '"';
                break;
            case 'u': {
                char32_t code = 0;
                for (std::size_t i = 0; i < 4; ++i) {
                    const std::size_t at = pos + 2 + i;
                    const int digit = at < line.size() ? hexDigit(line[at]) : -1;
                    if (digit < 0) {
                        throw LexError(pos + 1, "\\u needs four hexadecimal digits");
                    }
                    code = code * 16 + static_cast<char32_t>(digit);
                }
                try {
                    appendUtf8(token, code);
                } catch (const std::invalid_argument& error) {
                    throw LexError(pos + 1, error.what());
                }
                pos += 6;
                continue;
            }
            default:
                throw LexError(pos + 1, std::string("unknown escape \\") + escape);
        }
        pos += 2;
    }
}

}  // namespace

void appendUtf8(std::string& out, char32_t code) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        throw std::invalid_argument("not a character code point");
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::vector<std::string> splitScriptLine(std::string_view line) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (pos < line.size() && isBlank(line[pos])) {
        ++pos;
    }
    if (pos < line.size() && line[pos] == '#') {
        return tokens;
    }
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        if (line[pos] == '"') {
            tokens.push_back(readQuoted(line, pos));
            continue;
        }
        const std::size_t start = pos;
        while (pos < line.size() && !isBlank(line[pos])) {
            ++pos;
        }
        tokens.emplace_back(line.substr(start, pos - start));
    }
    return tokens;
}

}  // namespace kavex::tool
