#pragma once

#include <string>
#include <vector>

#include "platform/base/Date.h"

namespace kavex::addin::portfolio {

// A dividend ("Dividend", value the cash per share) or a split ("Split", value "new:old") of a
// symbol, effective on a day.
struct CorporateAction {
    std::string symbol;
    std::string type;
    base::Date effectiveDate;
    std::string value;
};

// The symbols of every portfolio of the open add-in workbooks, upper-cased, each once.
std::vector<std::string> PortfolioSymbols();

// Books each action into every portfolio of the open add-in workbooks that holds the symbol on
// its day, once: a dividend as a "Dividend Cash" row paying the long shares held, a split as a
// "Split" row multiplying the shares of the open lots and dividing their prices. An action a
// portfolio already holds (same symbol, type and day) is not booked again. A portfolio whose
// history cannot be read is logged at level 1 and left alone. Returns the rows booked.
int BookDividendsAndSplits(const std::vector<CorporateAction>& actions);

}  // namespace kavex::addin::portfolio
