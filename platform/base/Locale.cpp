#include "platform/base/Locale.h"

#include <utility>

namespace kavex::base {

namespace {
Locale& localeSlot() {
    static Locale locale;
    return locale;
}
}  // namespace

const Locale& currentLocale() {
    return localeSlot();
}

void setCurrentLocale(Locale locale) {
    localeSlot() = std::move(locale);
}

}  // namespace kavex::base
