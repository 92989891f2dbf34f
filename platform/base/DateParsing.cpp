#include <string>
#include <vector>

#include "platform/base/Conversions.h"
#include "platform/base/Locale.h"
#include "platform/base/Text.h"

namespace kavex::base {

namespace {

// The text cut into numbers, words and separator characters; blanks only split.
struct Token {
    enum Kind { Number, Word, Separator } kind;
    std::string text;
    int value = 0;
};

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::optional<std::vector<Token>> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (isAsciiDigit(c)) {
            std::size_t end = i;
            while (end < text.size() && isAsciiDigit(text[end])) {
                ++end;
            }
            if (end - i > 4) {
                return std::nullopt;
            }
            Token token{Token::Number, std::string(text.substr(i, end - i))};
            token.value = std::stoi(token.text);
            tokens.push_back(std::move(token));
            i = end;
        } else if (isAsciiLetter(c)) {
            std::size_t end = i;
            while (end < text.size() && isAsciiLetter(text[end])) {
                ++end;
            }
            tokens.push_back({Token::Word, std::string(text.substr(i, end - i))});
            i = end;
        } else if (c == '/' || c == '-' || c == ',' || c == ':' || c == '.') {
            tokens.push_back({Token::Separator, std::string(1, c)});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

// 1-12 for a full or abbreviated month name, 0 otherwise.
int monthFromName(std::string_view word) {
    const Locale& locale = currentLocale();
    for (int m = 0; m < 12; ++m) {
        if (equalsIgnoringCase(word, locale.monthNames[static_cast<std::size_t>(m)]) ||
            equalsIgnoringCase(word, locale.abbreviatedMonthNames[static_cast<std::size_t>(m)])) {
            return m + 1;
        }
    }
    return 0;
}

int expandYear(const Token& token) {
    if (token.text.size() <= 2) {
        return token.value < 30 ? 2000 + token.value : 1900 + token.value;
    }
    return token.value;
}

class Reader {
  public:
    explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool atEnd() const { return pos_ >= tokens_.size(); }
    const Token* peek(std::size_t ahead = 0) const {
        return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
    }
    bool isNumber(std::size_t ahead = 0) const {
        const Token* t = peek(ahead);
        return t && t->kind == Token::Number;
    }
    bool isSeparator(char c, std::size_t ahead = 0) const {
        const Token* t = peek(ahead);
        return t && t->kind == Token::Separator && t->text[0] == c;
    }
    bool isMonthWord(std::size_t ahead = 0) const {
        const Token* t = peek(ahead);
        return t && t->kind == Token::Word && monthFromName(t->text) != 0;
    }
    const Token& take() { return tokens_[pos_++]; }
    bool skip(char separator) {
        if (isSeparator(separator)) {
            ++pos_;
            return true;
        }
        return false;
    }

  private:
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

struct DateOnly {
    int year;
    int month;
    int day;
};

// What a reading accepts beyond the runtime's forms (see parseCellDate).
struct Reading {
    // A time alone may run to 24 hours and more.
    bool longTimes = false;
    // A day and month without a year are read in this year; null: they are no date.
    int (*currentYear)() = nullptr;
};

// Where a date without its year may end: at the end of the text or where its time begins.
bool endsHere(const Reader& r) {
    return r.atEnd() || (r.isNumber(0) && r.isSeparator(':', 1));
}

// The three numbers of a numeric date in the locale's order, or year first when the first
// number has more than two digits.
std::optional<DateOnly> numericDate(const Token& a, const Token& b, const Token& c) {
    if (a.text.size() > 2) {
        return DateOnly{a.value, b.value, c.value};
    }
    const std::string& pattern = currentLocale().shortDatePattern;
    const auto first = pattern.find_first_of("dDmMyY");
    const char order = first == std::string::npos ? 'm' : toLowerAscii(pattern[first]);
    if (order == 'd') {
        return DateOnly{expandYear(c), b.value, a.value};
    }
    if (order == 'y') {
        return DateOnly{expandYear(a), b.value, c.value};
    }
    return DateOnly{expandYear(c), a.value, b.value};
}

bool isDateSeparator(const Token& s) {
    return s.kind == Token::Separator &&
           (s.text[0] == '/' || s.text[0] == '-' || s.text[0] == currentLocale().dateSeparator);
}

std::optional<DateOnly> readDate(Reader& r, const Reading& reading) {
    // 3/15/2007, 2007/03/15, 2007-03-15, 3-15-2007
    if (r.isNumber(0) && r.isNumber(2) && r.isNumber(4)) {
        const Token* s1 = r.peek(1);
        const Token* s2 = r.peek(3);
        if (isDateSeparator(*s1) && isDateSeparator(*s2) && s1->text == s2->text) {
            const Token& a = r.take();
            r.take();
            const Token& b = r.take();
            r.take();
            const Token& c = r.take();
            return numericDate(a, b, c);
        }
    }
    // 3/15, 3-15: month and day (or day and month) in the locale's order, in the current year.
    if (reading.currentYear && r.isNumber(0) && r.isNumber(2) && r.peek(0)->text.size() <= 2 &&
        r.peek(2)->text.size() <= 2) {
        const Token* after = r.peek(3);
        if (isDateSeparator(*r.peek(1)) && (after == nullptr || after->kind == Token::Number)) {
            const Token& a = r.take();
            r.take();
            const Token& b = r.take();
            const std::string& pattern = currentLocale().shortDatePattern;
            const auto first = pattern.find_first_of("dDmM");
            const bool dayFirst = first != std::string::npos && toLowerAscii(pattern[first]) == 'd';
            return dayFirst ? DateOnly{reading.currentYear(), b.value, a.value}
                            : DateOnly{reading.currentYear(), a.value, b.value};
        }
    }
    // March 15, 2007 / Mar 15 2007
    if (r.isMonthWord(0) && r.isNumber(1)) {
        const int month = monthFromName(r.take().text);
        const Token& day = r.take();
        if (day.text.size() > 2) {
            return std::nullopt;
        }
        if (reading.currentYear && endsHere(r)) {
            return DateOnly{reading.currentYear(), month, day.value};
        }
        r.skip(',');
        if (!r.isNumber()) {
            return std::nullopt;
        }
        return DateOnly{expandYear(r.take()), month, day.value};
    }
    // 15 March 2007 / 15-Mar-2007
    if (r.isNumber(0) && (r.isMonthWord(1) || (r.isSeparator('-', 1) && r.isMonthWord(2)))) {
        const Token& day = r.take();
        const bool dashed = r.skip('-');
        const int month = monthFromName(r.take().text);
        if (day.text.size() > 2) {
            return std::nullopt;
        }
        if (reading.currentYear && endsHere(r)) {
            return DateOnly{reading.currentYear(), month, day.value};
        }
        if (dashed) {
            if (!r.skip('-')) {
                return std::nullopt;
            }
        } else {
            r.skip(',');
        }
        if (!r.isNumber()) {
            return std::nullopt;
        }
        return DateOnly{expandYear(r.take()), month, day.value};
    }
    return std::nullopt;
}

struct TimeOnly {
    int hour;
    int minute;
    int second;
};

std::optional<TimeOnly> readTime(Reader& r) {
    if (!r.isNumber()) {
        return std::nullopt;
    }
    TimeOnly time{r.take().value, 0, 0};
    bool hasMinutes = false;
    if (r.skip(':')) {
        if (!r.isNumber()) {
            return std::nullopt;
        }
        time.minute = r.take().value;
        hasMinutes = true;
        if (r.skip(':')) {
            if (!r.isNumber()) {
                return std::nullopt;
            }
            time.second = r.take().value;
        }
    }
    const Locale& locale = currentLocale();
    const Token* word = r.peek();
    if (word && word->kind == Token::Word) {
        const bool am = equalsIgnoringCase(word->text, locale.amDesignator) ||
                        equalsIgnoringCase(word->text, "A");
        const bool pm = equalsIgnoringCase(word->text, locale.pmDesignator) ||
                        equalsIgnoringCase(word->text, "P");
        if (!am && !pm) {
            return std::nullopt;
        }
        r.take();
        if (time.hour > 12) {
            return std::nullopt;
        }
        time.hour = time.hour % 12 + (pm ? 12 : 0);
    } else if (!hasMinutes) {
        // A lone number is no time.
        return std::nullopt;
    }
    return time;
}

// The text as a date or a time, with what the reading accepts beyond the runtime's forms.
std::optional<Date> readDateText(std::string_view text, const Reading& reading) {
    auto tokens = tokenize(text);
    if (!tokens || tokens->empty()) {
        return std::nullopt;
    }
    Reader reader(*tokens);
    std::optional<DateOnly> date = readDate(reader, reading);
    std::optional<TimeOnly> time;
    if (!date) {
        // No date in front: the whole text must be a time.
        reader = Reader(std::move(*tokens));
    }
    if (!reader.atEnd()) {
        time = readTime(reader);
        if (!time || !reader.atEnd()) {
            return std::nullopt;
        }
    }
    if (!date && !time) {
        return std::nullopt;
    }
    const TimeOnly t = time.value_or(TimeOnly{0, 0, 0});
    if (!date) {
        if (reading.longTimes && t.hour > 23 && t.minute <= 59 && t.second <= 59) {
            // 25:00 is a day and an hour: the serial runs on past the zero date.
            return addSeconds(Date{0.0}, t.hour * 3600LL + t.minute * 60LL + t.second);
        }
        // A time alone lies on the zero date.
        return makeDate(1899, 12, 30, t.hour, t.minute, t.second);
    }
    return makeDate(date->year, date->month, date->day, t.hour, t.minute, t.second);
}

}  // namespace

std::optional<Date> parseDate(std::string_view text) {
    return readDateText(text, Reading{});
}

std::optional<Date> parseCellDate(std::string_view text, int (*currentYear)()) {
    return readDateText(text, Reading{true, currentYear});
}

}  // namespace kavex::base
