#include "addin/portfolio/Messages.h"

#include "platform/forms/MsgBox.h"

namespace kavex::addin::portfolio {

void ShowPortfolioMessage(std::string_view message) {
    forms::MsgBox(message, forms::vbOKOnly | forms::vbExclamation, "Kavex");
}

}  // namespace kavex::addin::portfolio
