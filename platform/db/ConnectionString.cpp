#include "platform/db/ConnectionString.h"

#include <cctype>

#include "platform/base/Text.h"
#include "platform/db/Errors.h"

namespace kavex::db {

namespace {

constexpr const char* kWrongArguments =
    "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
    "another.";

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

ConnectionSettings parseConnectionString(std::string_view text) {
    ConnectionSettings settings;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        const std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || equals > semicolon) {
            // A part without "=": only blanks are allowed there.
            const std::size_t end = semicolon == std::string_view::npos ? text.size() : semicolon;
            if (!trim(text.substr(pos, end - pos)).empty()) {
                raise(errors::WrongArguments, kWrongArguments);
            }
            pos = end + 1;
            continue;
        }
        const std::string key = base::toLowerAscii(trim(text.substr(pos, equals - pos)));
        std::size_t valueStart = equals + 1;
        while (valueStart < text.size() &&
               std::isspace(static_cast<unsigned char>(text[valueStart])) != 0) {
            ++valueStart;
        }
        std::string value;
        std::size_t next;
        if (valueStart < text.size() && text[valueStart] == '"') {
            const std::size_t close = text.find('"', valueStart + 1);
            if (close == std::string_view::npos) {
                raise(errors::WrongArguments, kWrongArguments);
            }
            value = std::string(text.substr(valueStart + 1, close - valueStart - 1));
            next = text.find(';', close);
            if (!trim(text.substr(close + 1, (next == std::string_view::npos ? text.size() : next) -
                                                 close - 1))
                     .empty()) {
                raise(errors::WrongArguments, kWrongArguments);
            }
        } else {
            next = text.find(';', valueStart);
            value = std::string(trim(text.substr(
                valueStart, (next == std::string_view::npos ? text.size() : next) - valueStart)));
        }
        if (key.empty()) {
            raise(errors::WrongArguments, kWrongArguments);
        }
        if (key == "provider") {
            settings.provider = value;
        } else if (key == "data source") {
            settings.dataSource = value;
        } else if (key == "jet oledb:database password") {
            settings.password = value;
        }
        pos = next == std::string_view::npos ? text.size() : next + 1;
    }
    if (!settings.provider.empty() &&
        base::toLowerAscii(settings.provider) != "microsoft.jet.oledb.4.0") {
        raise(errors::ProviderNotFound,
              "Provider cannot be found. It may not be properly installed.");
    }
    if (settings.dataSource.empty()) {
        raise(errors::WrongArguments, kWrongArguments);
    }
    return settings;
}

}  // namespace kavex::db
