#include "addin/core/Errors.h"

#include "platform/base/PlatformError.h"

namespace kavex::addin::core {

TrappedError Trapped(const std::exception& error) {
    if (const auto* platform = dynamic_cast<const base::PlatformError*>(&error)) {
        return {platform->number(), platform->description()};
    }
    return {-1, error.what()};
}

std::string ErrorText(const std::exception& error) {
    const TrappedError trapped = Trapped(error);
    return "(" + std::to_string(trapped.number) + ") " + trapped.description;
}

}  // namespace kavex::addin::core
