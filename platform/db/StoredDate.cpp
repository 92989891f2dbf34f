#include "platform/db/StoredDate.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace kavex::db {

namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

// Serial 0 is 30 December 1899; 1 January 1970 is serial 25569.
constexpr long long kEpochSerial = 25569;
constexpr long long kSecondsPerDay = 86400;

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
    bool acceptWord(std::string_view word) {
        if (text_.size() - pos_ < word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            char c = text_[pos_ + i];
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            if (c != word[i]) {
                return false;
            }
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
    return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}
        .ok();
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
    const sys_days days{year_month_day{year{p.year}, month{static_cast<unsigned>(p.month)},
                                       day{static_cast<unsigned>(p.day)}}};
    const double dayNumber = static_cast<double>(days.time_since_epoch().count() + kEpochSerial);
    const double seconds = p.hour * 3600.0 + p.minute * 60.0 + p.second;
    return base::Date{dayNumber + seconds / kSecondsPerDay};
}

DateTimeParts fromSerial(base::Date date) {
    const long long totalSeconds = std::llround(date.serial * kSecondsPerDay);
    long long dayNumber = totalSeconds / kSecondsPerDay;
    long long secondOfDay = totalSeconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --dayNumber;
    }
    const year_month_day ymd{sys_days{std::chrono::days{dayNumber - kEpochSerial}}};
    DateTimeParts parts;
    parts.year = static_cast<int>(ymd.year());
    parts.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    parts.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    parts.hour = static_cast<int>(secondOfDay / 3600);
    parts.minute = static_cast<int>(secondOfDay / 60 % 60);
    parts.second = static_cast<int>(secondOfDay % 60);
    return parts;
}

}  // namespace kavex::db
