#include "platform/db/JetSql.h"

#include <cctype>
#include <optional>

#include "platform/base/Text.h"
#include "platform/db/StoredDate.h"

namespace kavex::db {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Reads the word at pos (letters, digits, '_'), advancing past it.
std::string_view readWord(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && isWordChar(text[pos])) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

void skipBlanks(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
}

// The "top N" of a leading "select [distinct|all|distinctrow] top N": where it starts and ends in
// the text, and N.
struct TopClause {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string count;
};

std::optional<TopClause> findTop(std::string_view text) {
    std::size_t pos = 0;
    skipBlanks(text, pos);
    if (!base::equalsIgnoringCase(readWord(text, pos), "select")) {
        return std::nullopt;
    }
    std::size_t afterSelect = pos;
    skipBlanks(text, pos);
    std::size_t wordStart = pos;
    std::string_view word = readWord(text, pos);
    if (base::equalsIgnoringCase(word, "distinct") || base::equalsIgnoringCase(word, "all") ||
        base::equalsIgnoringCase(word, "distinctrow")) {
        afterSelect = pos;
        skipBlanks(text, pos);
        wordStart = pos;
        word = readWord(text, pos);
    }
    if (!base::equalsIgnoringCase(word, "top") || wordStart == afterSelect) {
        return std::nullopt;
    }
    skipBlanks(text, pos);
    const std::size_t numberStart = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) != 0) {
        ++pos;
    }
    if (pos == numberStart || (pos < text.size() && isWordChar(text[pos]))) {
        return std::nullopt;
    }
    TopClause top;
    top.begin = wordStart;
    top.count = std::string(text.substr(numberStart, pos - numberStart));
    skipBlanks(text, pos);
    top.end = pos;
    return top;
}

// Copies a quoted run (the opening quote at pos) and advances past its closing quote; a doubled
// closing quote stands for itself inside the run.
void copyQuoted(std::string_view text, std::size_t& pos, char close, std::string& out) {
    const std::size_t start = pos++;
    while (pos < text.size()) {
        if (text[pos] == close) {
            if (close != ']' && pos + 1 < text.size() && text[pos + 1] == close) {
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        ++pos;
    }
    out.append(text.substr(start, pos - start));
}

}  // namespace

std::string jetToSqlite(std::string_view text) {
    const std::optional<TopClause> top = findTop(text);
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (top && pos == top->begin) {
            pos = top->end;
            continue;
        }
        const char c = text[pos];
        if (c == '\'' || c == '"') {
            copyQuoted(text, pos, c, out);
        } else if (c == '[') {
            copyQuoted(text, pos, ']', out);
        } else if (c == '#') {
            const std::size_t close = text.find('#', pos + 1);
            std::optional<DateTimeParts> date;
            if (close != std::string_view::npos) {
                date = parseDateText(text.substr(pos + 1, close - pos - 1));
            }
            if (date) {
                out += '\'';
                out += formatStoredDate(*date);
                out += '\'';
                pos = close + 1;
            } else {
                out += c;
                ++pos;
            }
        } else if (c == '&') {
            out += "||";
            ++pos;
        } else {
            out += c;
            ++pos;
        }
    }
    if (top) {
        while (!out.empty() && isBlank(out.back())) {
            out.pop_back();
        }
        if (!out.empty() && out.back() == ';') {
            out.pop_back();
        }
        out += " LIMIT ";
        out += top->count;
    }
    return out;
}

}  // namespace kavex::db
