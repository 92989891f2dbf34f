#include "services/DateParameter.h"

#include <charconv>
#include <cstdio>

namespace kavex::services {

namespace {

std::optional<int> number(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> isoOf(int year, int month, int day) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year},
                              std::chrono::month{static_cast<unsigned>(month)},
                              std::chrono::day{static_cast<unsigned>(day)}};
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || !date.ok()) {
        return std::nullopt;
    }
    // The checks above bound every part, but the compiler cannot see it; a buffer large enough
    // for any int keeps the release build's truncation warning quiet.
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return std::string(text);
}

bool isTime(std::string_view text) {
    // HH:MM[:SS] with an optional " AM" / " PM".
    if (text.ends_with(" AM") || text.ends_with(" PM") || text.ends_with(" am") ||
        text.ends_with(" pm")) {
        text.remove_suffix(3);
    }
    int parts = 0;
    while (!text.empty()) {
        const std::size_t colon = text.find(':');
        const auto value = number(text.substr(0, colon));
        if (!value || *value > 59 || text.substr(0, colon).size() > 2) {
            return false;
        }
        ++parts;
        text = colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
    }
    return parts == 2 || parts == 3;
}

}  // namespace

std::optional<std::string> parseDateParameter(std::string_view text) {
    const std::size_t blank = text.find(' ');
    const std::string_view date = text.substr(0, blank);
    if (blank != std::string_view::npos && !isTime(text.substr(blank + 1))) {
        return std::nullopt;
    }
    if (date.size() == 10 && date[4] == '-' && date[7] == '-') {
        const auto y = number(date.substr(0, 4));
        const auto m = number(date.substr(5, 2));
        const auto d = number(date.substr(8, 2));
        if (y && m && d) {
            return isoOf(*y, *m, *d);
        }
        return std::nullopt;
    }
    const std::size_t first = date.find('/');
    const std::size_t second = first == std::string_view::npos ? first : date.find('/', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto m = number(date.substr(0, first));
    const auto d = number(date.substr(first + 1, second - first - 1));
    const auto y = number(date.substr(second + 1));
    if (m && d && y && date.substr(second + 1).size() == 4) {
        return isoOf(*y, *m, *d);
    }
    return std::nullopt;
}

std::string isoDay(std::chrono::system_clock::time_point time) {
    return isoDateTime(time).substr(0, 10);
}

std::string isoDateTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d",
                  static_cast<int>(date.year()) % 10000, static_cast<unsigned>(date.month()) % 100,
                  static_cast<unsigned>(date.day()) % 100,
                  static_cast<int>(clock.hours().count()) % 100,
                  static_cast<int>(clock.minutes().count()) % 100,
                  static_cast<int>(clock.seconds().count()) % 100);
    return text;
}

}  // namespace kavex::services
