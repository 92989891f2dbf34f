#pragma once

#include <exception>
#include <string>

namespace kavex::addin::core {

// A trapped failure as the runtime's Err object gives it: a platform error's number and
// description, or -1 and the message of any other failure.
struct TrappedError {
    long number = 0;
    std::string description;
};

TrappedError Trapped(const std::exception& error);

// "(number) description" of a trapped failure, as the add-in's log lines show it.
std::string ErrorText(const std::exception& error);

}  // namespace kavex::addin::core
