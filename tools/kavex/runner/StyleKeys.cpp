#include "tools/kavex/runner/StyleKeys.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

enum class Kind { Number, Boolean, Text };

using Span = std::optional<TextSpan>;

sheet::Font fontOf(const sheet::Range& range, const Span& span) {
    return span ? range.characters(span->start, span->length).font() : range.font();
}

std::string shownValue(const base::Variant& value) {
    if (value.isBool()) {
        return value.boolean() ? "true" : "false";
    }
    return valueText(value);
}

double numberValue(std::string_view key, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value)) {
        throw ScriptError(std::string(key) + " must be a number, not '" + text + "'");
    }
    return value;
}

long wholeValue(std::string_view key, const std::string& text) {
    const double value = numberValue(key, text);
    if (value != std::floor(value) || std::fabs(value) > 2147483647.0) {
        throw ScriptError(std::string(key) + " must be a whole number, not '" + text + "'");
    }
    return static_cast<long>(value);
}

bool booleanValue(std::string_view key, const std::string& text) {
    const std::string word = base::toLowerAscii(text);
    if (word == "true") {
        return true;
    }
    if (word == "false") {
        return false;
    }
    throw ScriptError(std::string(key) + " must be true or false, not '" + text + "'");
}

struct StyleKey {
    std::string_view name;
    Kind kind;
    bool onSpan;
    std::string (*read)(const sheet::Range&, const Span&);
    void (*write)(sheet::Range&, const Span&, std::string_view, const std::string&);
};

std::string readHyperlink(const sheet::Range& range, const Span&) {
    const sheet::Hyperlinks links = range.hyperlinks();
    if (links.count() == 0) {
        return "none";
    }
    const sheet::Hyperlink link = links.item(1);
    const std::string sub = link.subAddress();
    return sub.empty() ? link.address() : sub;
}

void writeHyperlink(sheet::Range& range, const Span&, std::string_view, const std::string& value) {
    range.hyperlinks().delete_();
    if (value == "none") {
        return;
    }
    // An address with a scheme goes outside the workbook; anything else is a place inside it.
    if (value.find("://") != std::string::npos || value.starts_with("mailto:")) {
        range.worksheet().hyperlinks().add(range, value);
    } else {
        range.worksheet().hyperlinks().add(range, "", value);
    }
}

std::string readComment(const sheet::Range& range, const Span&) {
    const sheet::Comment comment = range.comment();
    return comment.isNothing() ? "none" : comment.text();
}

void writeComment(sheet::Range& range, const Span&, std::string_view, const std::string& value) {
    range.clearComments();
    if (value != "none") {
        range.addComment(value);
    }
}

const std::array<StyleKey, 14> kStyleKeys{{
    {"font.color", Kind::Number, true,
     [](const sheet::Range& r, const Span& s) { return shownValue(fontOf(r, s).color()); },
     [](sheet::Range& r, const Span& s, std::string_view k, const std::string& v) {
         fontOf(r, s).setColor(wholeValue(k, v));
     }},
    {"font.colorindex", Kind::Number, true,
     [](const sheet::Range& r, const Span& s) { return shownValue(fontOf(r, s).colorIndex()); },
     [](sheet::Range& r, const Span& s, std::string_view k, const std::string& v) {
         fontOf(r, s).setColorIndex(static_cast<int>(wholeValue(k, v)));
     }},
    {"font.bold", Kind::Boolean, true,
     [](const sheet::Range& r, const Span& s) { return shownValue(fontOf(r, s).bold()); },
     [](sheet::Range& r, const Span& s, std::string_view k, const std::string& v) {
         fontOf(r, s).setBold(booleanValue(k, v));
     }},
    {"font.size", Kind::Number, true,
     [](const sheet::Range& r, const Span& s) { return shownValue(fontOf(r, s).size()); },
     [](sheet::Range& r, const Span& s, std::string_view k, const std::string& v) {
         fontOf(r, s).setSize(numberValue(k, v));
     }},
    {"font.name", Kind::Text, true,
     [](const sheet::Range& r, const Span& s) { return shownValue(fontOf(r, s).name()); },
     [](sheet::Range& r, const Span& s, std::string_view, const std::string& v) {
         fontOf(r, s).setName(v);
     }},
    {"font.underline", Kind::Number, true,
     [](const sheet::Range& r, const Span& s) { return shownValue(fontOf(r, s).underline()); },
     [](sheet::Range& r, const Span& s, std::string_view k, const std::string& v) {
         fontOf(r, s).setUnderline(static_cast<int>(wholeValue(k, v)));
     }},
    {"interior.colorindex", Kind::Number, false,
     [](const sheet::Range& r, const Span&) { return shownValue(r.interior().colorIndex()); },
     [](sheet::Range& r, const Span&, std::string_view k, const std::string& v) {
         r.interior().setColorIndex(static_cast<int>(wholeValue(k, v)));
     }},
    {"border.weight", Kind::Number, false,
     [](const sheet::Range& r, const Span&) { return shownValue(r.borders().weight()); },
     [](sheet::Range& r, const Span&, std::string_view k, const std::string& v) {
         r.borders().setWeight(static_cast<int>(wholeValue(k, v)));
     }},
    {"border.color", Kind::Number, false,
     [](const sheet::Range& r, const Span&) { return shownValue(r.borders().color()); },
     [](sheet::Range& r, const Span&, std::string_view k, const std::string& v) {
         r.borders().setColor(wholeValue(k, v));
     }},
    {"hyperlink", Kind::Text, false, readHyperlink, writeHyperlink},
    {"comment", Kind::Text, false, readComment, writeComment},
    {"hidden", Kind::Boolean, false,
     [](const sheet::Range& r, const Span&) { return shownValue(r.hidden()); },
     [](sheet::Range& r, const Span&, std::string_view k, const std::string& v) {
         r.setHidden(booleanValue(k, v));
     }},
    {"numberformat", Kind::Text, false,
     [](const sheet::Range& r, const Span&) { return shownValue(r.numberFormat()); },
     [](sheet::Range& r, const Span&, std::string_view, const std::string& v) {
         r.setNumberFormat(v);
     }},
    {"locked", Kind::Boolean, false,
     [](const sheet::Range& r, const Span&) { return shownValue(r.locked()); },
     [](sheet::Range& r, const Span&, std::string_view k, const std::string& v) {
         r.setLocked(booleanValue(k, v));
     }},
}};

const StyleKey& findKey(std::string_view name, bool forSpan) {
    const std::string wanted = base::toLowerAscii(name);
    for (const StyleKey& key : kStyleKeys) {
        if (key.name == wanted) {
            if (forSpan && !key.onSpan) {
                throw ScriptError("the key " + std::string(name) +
                                  " does not apply to a span of text (font keys do)");
            }
            return key;
        }
    }
    std::string known;
    for (const StyleKey& key : kStyleKeys) {
        known += (known.empty() ? "" : ", ") + std::string(key.name);
    }
    throw ScriptError("unknown style key '" + std::string(name) + "' (known: " + known + ")");
}

}  // namespace

TextSpan spanArguments(const CommandArgs& args, std::size_t index) {
    const long long start = args.integer(index, "START");
    const long long length = args.integer(index + 1, "LENGTH");
    if (start < 1 || length < 1 || start > 32767 || length > 32767) {
        args.fail("START and LENGTH must be 1 or more");
    }
    return TextSpan{static_cast<int>(start), static_cast<int>(length)};
}

std::string readStyle(const sheet::Range& range, std::string_view key, const Span& span) {
    return findKey(key, span.has_value()).read(range, span);
}

std::string normalizeStyleValue(std::string_view key, const std::string& text) {
    const StyleKey& found = findKey(key, false);
    if (found.kind == Kind::Boolean) {
        const std::string word = base::toLowerAscii(text);
        return word == "true" || word == "false" ? word : text;
    }
    if (found.kind == Kind::Number) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (!text.empty() && end == text.c_str() + text.size() && std::isfinite(value)) {
            return base::CStr(base::Variant(value));
        }
    }
    return text;
}

void writeStyle(const sheet::Range& range, std::string_view key, const std::string& value,
                const Span& span) {
    const StyleKey& found = findKey(key, span.has_value());
    sheet::Range target = range;
    found.write(target, span, found.name, value);
}

std::vector<std::string> styleKeys() {
    std::vector<std::string> keys;
    for (const StyleKey& key : kStyleKeys) {
        keys.emplace_back(key.name);
    }
    return keys;
}

std::vector<std::string> spanKeys() {
    std::vector<std::string> keys;
    for (const StyleKey& key : kStyleKeys) {
        if (key.onSpan) {
            keys.emplace_back(key.name);
        }
    }
    return keys;
}

}  // namespace kavex::tool
