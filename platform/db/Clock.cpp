#include "platform/db/Clock.h"

#include "platform/os/Clock.h"

namespace kavex::db {

namespace {

std::function<base::Date()>& clockFunction() {
    static std::function<base::Date()> now;
    return now;
}

}  // namespace

void setClock(std::function<base::Date()> now) {
    clockFunction() = std::move(now);
}

base::Date clockNow() {
    const auto& now = clockFunction();
    return now ? now() : os::Now();
}

}  // namespace kavex::db
