#pragma once

#include <stdexcept>
#include <string>

namespace kavex::base {

// A failed platform operation, as the host raises it into the caller: a number and a description
// (1004 is the spreadsheet's "application-defined or object-defined error").
class PlatformError : public std::runtime_error {
  public:
    PlatformError(long number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    long number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

  private:
    long number_;
    std::string description_;
};

// Error numbers the host and the runtime use.
namespace errors {
inline constexpr long TypeMismatch = 13;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long ObjectRequired = 424;
inline constexpr long ApplicationDefined = 1004;
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long InvalidUseOfNull = 94;
}  // namespace errors

}  // namespace kavex::base
