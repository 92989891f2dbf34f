// Letter case and order of texts in formulas, through ICU: the spreadsheet changes and compares
// every letter, not only ASCII ones, and orders texts by a collation rather than by bytes.

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/utf8.h>

#include <climits>
#include <memory>

#include "platform/base/Text.h"
#include "platform/spreadsheet/formula/Text.h"

namespace kavex::formula {

namespace {

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Calls each(codePoint) for the characters of the text, or each(-1 - byte) for a byte that is
// no UTF-8 character.
template <typename Each>
void forEachCharacter(std::string_view text, Each&& each) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            for (int32_t j = start; j < i; ++j) {
                each(-1 - static_cast<UChar32>(bytes[j]));
            }
        } else {
            each(c);
        }
    }
}

template <typename Map>
std::string mapLetters(std::string_view text, Map&& map) {
    std::string out;
    out.reserve(text.size());
    forEachCharacter(text, [&](UChar32 c) {
        if (c < 0) {
            out += static_cast<char>(-1 - c);
            return;
        }
        const UChar32 mapped = map(c);
        // A valid code point maps to a valid one, which takes at most U8_MAX_LENGTH bytes.
        uint8_t buffer[U8_MAX_LENGTH];
        int32_t written = 0;
        U8_APPEND_UNSAFE(buffer, written, mapped);
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(written));
    });
    return out;
}

// The characters with letter case folded, for equality.
std::u32string folded(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    forEachCharacter(text, [&](UChar32 c) {
        out += static_cast<char32_t>(c < 0 ? 0x110000 - c : u_foldCase(c, U_FOLD_CASE_DEFAULT));
    });
    return out;
}

// The language-neutral collation, case ignored (secondary strength: accents count, case does
// not). One per thread: a collator is not to be shared between threads.
struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};

UCollator* collator() {
    thread_local const std::unique_ptr<UCollator, CollatorCloser> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorCloser> opened(ucol_open("", &status));
        if (U_FAILURE(status)) {
            return std::unique_ptr<UCollator, CollatorCloser>();
        }
        ucol_setStrength(opened.get(), UCOL_SECONDARY);
        ucol_setAttribute(opened.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        return opened;
    }();
    return instance.get();
}

constexpr std::size_t Longest = INT32_MAX;

}  // namespace

std::string toUpperText(std::string_view text) {
    if (isAscii(text) || text.size() >= Longest) {
        return base::toUpperAscii(text);
    }
    return mapLetters(text, [](UChar32 c) { return u_toupper(c); });
}

std::string toLowerText(std::string_view text) {
    if (isAscii(text) || text.size() >= Longest) {
        return base::toLowerAscii(text);
    }
    return mapLetters(text, [](UChar32 c) { return u_tolower(c); });
}

int compareTexts(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b) && base::equalsIgnoringCase(a, b)) {
        return 0;
    }
    if (a.size() < Longest && b.size() < Longest) {
        if (UCollator* c = collator()) {
            UErrorCode status = U_ZERO_ERROR;
            const UCollationResult result =
                ucol_strcollUTF8(c, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                 static_cast<int32_t>(b.size()), &status);
            if (U_SUCCESS(status) && result != UCOL_EQUAL) {
                return result == UCOL_LESS ? -1 : 1;
            }
        }
    }
    if (a.size() >= Longest || b.size() >= Longest) {
        const std::string x = base::toUpperAscii(a);
        const std::string y = base::toUpperAscii(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const std::u32string x = folded(a);
    const std::u32string y = folded(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace kavex::formula
