#include "addin/portfolio/ValidateTransactionDate.h"

#include "addin/portfolio/Messages.h"
#include "addin/portfolio/TransactionDates.h"

namespace kavex::addin::portfolio {

bool ValidateTransactionDate(const std::string& dateText) {
    if (const auto problem = TransactionDateTextProblem(dateText)) {
        ShowPortfolioMessage(*problem);
        return false;
    }
    return true;
}

}  // namespace kavex::addin::portfolio
