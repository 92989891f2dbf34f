#include "tools/kavex/runner/CommandArgs.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/base/Text.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

std::optional<bool> flagWord(std::string_view text) {
    for (const char* word : {"true", "yes", "on", "1"}) {
        if (base::equalsIgnoringCase(text, word)) {
            return true;
        }
    }
    for (const char* word : {"false", "no", "off", "0"}) {
        if (base::equalsIgnoringCase(text, word)) {
            return false;
        }
    }
    return std::nullopt;
}

const std::string& CommandArgs::operator[](std::size_t index) const {
    if (index >= tokens_.size()) {
        fail("argument " + std::to_string(index + 1) + " is missing");
    }
    return tokens_[index];
}

std::string CommandArgs::get(std::size_t index, const std::string& fallback) const {
    return index < tokens_.size() ? tokens_[index] : fallback;
}

std::span<const std::string> CommandArgs::from(std::size_t index) const {
    if (index >= tokens_.size()) {
        return {};
    }
    return std::span<const std::string>(tokens_).subspan(index);
}

long long CommandArgs::integer(std::size_t index, const char* what) const {
    const std::string& text = (*this)[index];
    long long value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (text.empty() || error != std::errc() || ptr != end) {
        fail(std::string(what) + " must be a whole number, not '" + text + "'");
    }
    return value;
}

double CommandArgs::number(std::size_t index, const char* what) const {
    const std::string& text = (*this)[index];
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value)) {
        fail(std::string(what) + " must be a number, not '" + text + "'");
    }
    return value;
}

bool CommandArgs::flag(std::size_t index, const char* what) const {
    if (const auto value = flagWord((*this)[index])) {
        return *value;
    }
    fail(std::string(what) + " must be true or false, not '" + (*this)[index] + "'");
}

std::vector<std::pair<std::string, std::string>> CommandArgs::keyValues(std::size_t index) const {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const std::string& token : from(index)) {
        const auto equals = token.find('=');
        if (equals == std::string::npos || equals == 0) {
            fail("expected KEY=VALUE, not '" + token + "'");
        }
        pairs.emplace_back(token.substr(0, equals), token.substr(equals + 1));
    }
    return pairs;
}

void CommandArgs::fail(const std::string& message) const {
    throw ScriptError(command_ + ": " + message);
}

}  // namespace kavex::tool
