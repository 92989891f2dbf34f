#include "platform/spreadsheet/formula/Text.h"

#include <algorithm>

#include "platform/base/Text.h"

namespace kavex::formula {

bool isWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '\\' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isWordChar(char c) {
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool isPlainWord(std::string_view text) {
    return !text.empty() && isWordStart(text.front()) &&
           std::all_of(text.begin(), text.end(), isWordChar);
}

namespace {
bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !isContinuationByte(c); }));
}

std::string_view characterSlice(std::string_view text, std::size_t first, std::size_t count) {
    auto advance = [&](std::size_t from, std::size_t characters) {
        std::size_t i = from;
        while (characters > 0 && i < text.size()) {
            ++i;
            while (i < text.size() && isContinuationByte(text[i])) {
                ++i;
            }
            --characters;
        }
        return i;
    };
    const std::size_t begin = advance(0, first);
    const std::size_t end = advance(begin, count);
    return text.substr(begin, end - begin);
}

}  // namespace kavex::formula
