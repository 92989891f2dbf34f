#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kavex::addin::portfolio {

// A booking the portfolio cannot take; its text is what the user is told.
class PortfolioRefusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The portfolio's notices and refusals: a message box titled "Kavex" with the exclamation icon.
void ShowPortfolioMessage(std::string_view message);

}  // namespace kavex::addin::portfolio
