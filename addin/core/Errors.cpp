#include "addin/core/Errors.h"

#include "addin/core/Log.h"
#include "platform/base/PlatformError.h"
#include "platform/forms/DialogDriver.h"

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

void RunStep(std::string_view procedure, std::string_view what,
             const std::function<void()>& action) {
    try {
        action();
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        WriteLog(procedure, 1,
                 "Error while " + std::string(what) + " Error description : " + ErrorText(error));
    }
}

bool StepTrap::run(void (*invoker)(void*), void* call) {
    try {
        invoker(call);
        return true;
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        pending_ = true;
        last_ = Trapped(error);
        return false;
    }
}

}  // namespace kavex::addin::core
