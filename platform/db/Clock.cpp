#include "platform/db/Clock.h"

#include <ctime>

#include "platform/db/StoredDate.h"

namespace kavex::db {

namespace {

std::function<base::Date()>& clockFunction() {
    static std::function<base::Date()> now;
    return now;
}

base::Date machineNow() {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return toSerial(DateTimeParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                  local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace

void setClock(std::function<base::Date()> now) {
    clockFunction() = std::move(now);
}

base::Date clockNow() {
    const auto& now = clockFunction();
    return now ? now() : machineNow();
}

}  // namespace kavex::db
