#include "platform/db/StoredDate.h"

#include <cstdio>

#include "platform/base/Text.h"

namespace kavex::db {

namespace {

class Cursor {
  public:
    explicit Cursor(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void skipBlanks() {
        while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }
    bool accept(char c) {
        if (peek() == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // 1 to maxDigits decimal digits; the count read goes to digits.
    std::optional<int> number(int maxDigits, int* digits = nullptr) {
        int value = 0;
        int count = 0;
        while (count < maxDigits && peek() >= '0' && peek() <= '9') {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++count;
        }
        if (digits != nullptr) {
            *digits = count;
        }
        if (count == 0) {
            return std::nullopt;
        }
        return value;
    }
    // The word in any letter case.
    bool acceptWord(std::string_view word) {
        if (!base::startsWithIgnoringCase(text_.substr(pos_), word)) {
            return false;
        }
        pos_ += word.size();
        return true;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t position) { pos_ = position; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool validDay(int y, int m, int d) {
    return base::makeDate(y, m, d).has_value();
}

// "h:mm[:ss] [AM|PM]" or 24-hour "HH:MM[:SS]".
bool parseTime(Cursor& in, DateTimeParts& parts, bool allowMeridiem) {
    auto hour = in.number(2);
    if (!hour || !in.accept(':')) {
        return false;
    }
    int digits = 0;
    auto minute = in.number(2, &digits);
    if (!minute || digits != 2) {
        return false;
    }
    int second = 0;
    if (in.accept(':')) {
        auto s = in.number(2, &digits);
        if (!s || digits != 2) {
            return false;
        }
        second = *s;
    }
    int h = *hour;
    if (allowMeridiem) {
        const std::size_t before = in.position();
        in.skipBlanks();
        const bool am = in.acceptWord("AM");
        const bool pm = !am && in.acceptWord("PM");
        if (am || pm) {
            if (h < 1 || h > 12) {
                return false;
            }
            h = (h % 12) + (pm ? 12 : 0);
        } else {
            in.rewind(before);
        }
    }
    if (h > 23 || *minute > 59 || second > 59) {
        return false;
    }
    parts.hour = h;
    parts.minute = *minute;
    parts.second = second;
    return true;
}

}  // namespace

std::optional<DateTimeParts> parseDateText(std::string_view text) {
    Cursor in(text);
    in.skipBlanks();
    DateTimeParts parts;
    const std::size_t start = in.position();
    int digits = 0;
    auto first = in.number(4, &digits);
    if (!first) {
        return std::nullopt;
    }
    if (digits == 4 && in.accept('-')) {
        auto m = in.number(2);
        if (!m || !in.accept('-')) {
            return std::nullopt;
        }
        auto d = in.number(2);
        if (!d || !validDay(*first, *m, *d)) {
            return std::nullopt;
        }
        parts.year = *first;
        parts.month = *m;
        parts.day = *d;
        if (in.accept('T') || (in.peek() == ' ' && (in.skipBlanks(), !in.atEnd()))) {
            if (!parseTime(in, parts, false)) {
                return std::nullopt;
            }
        }
    } else if (digits <= 2 && in.accept('/')) {
        auto d = in.number(2);
        if (!d || !in.accept('/')) {
            return std::nullopt;
        }
        auto y = in.number(4, &digits);
        if (!y || (digits != 2 && digits != 4)) {
            return std::nullopt;
        }
        int fullYear = *y;
        if (digits == 2) {
            fullYear += fullYear < 30 ? 2000 : 1900;
        }
        if (!validDay(fullYear, *first, *d)) {
            return std::nullopt;
        }
        parts.year = fullYear;
        parts.month = *first;
        parts.day = *d;
        in.skipBlanks();
        if (!in.atEnd() && !parseTime(in, parts, true)) {
            return std::nullopt;
        }
    } else {
        in.rewind(start);
        if (!parseTime(in, parts, true)) {
            return std::nullopt;
        }
    }
    in.skipBlanks();
    if (!in.atEnd()) {
        return std::nullopt;
    }
    return parts;
}

std::string formatStoredDate(const DateTimeParts& p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return buffer;
}

std::string formatStoredDate(base::Date date) {
    return formatStoredDate(fromSerial(date));
}

base::Date toSerial(const DateTimeParts& p) {
    return base::makeDate(p.year, p.month, p.day, p.hour, p.minute, p.second)
        .value_or(base::Date{});
}

DateTimeParts fromSerial(base::Date date) {
    return base::splitDate(date);
}

}  // namespace kavex::db
