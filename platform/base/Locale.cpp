#include "platform/base/Locale.h"

#include <utility>

namespace kavex::base {

namespace {
Locale& localeSlot() {
    static Locale locale;
    return locale;
}
std::uint64_t generation = 0;
}  // namespace

const Locale& currentLocale() {
    return localeSlot();
}

void setCurrentLocale(Locale locale) {
    localeSlot() = std::move(locale);
    ++generation;
}

std::uint64_t currentLocaleGeneration() {
    return generation;
}

}  // namespace kavex::base
