#include "platform/forms/StdFont.h"

#include <cmath>

#include "platform/base/PlatformError.h"

namespace kavex::forms {

namespace {

constexpr double kLargestSize = 2160;

[[noreturn]] void invalid() {
    throw base::PlatformError(380, "Invalid property value");
}

}  // namespace

void StdFont::setName(std::string name) {
    if (name.empty()) {
        invalid();
    }
    name_ = std::move(name);
}

void StdFont::setSize(double points) {
    if (!std::isfinite(points) || points <= 0 || points > kLargestSize) {
        invalid();
    }
    size_ = points;
}

}  // namespace kavex::forms
