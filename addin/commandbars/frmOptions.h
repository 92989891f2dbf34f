#pragma once

#include "platform/forms/Form.h"

namespace kavex::addin::commandbars {

// The options dialog: cmbDecimalPlaces (0 to 4 decimals of prices), cmdOK and cmdCancel.
class frmOptions : public forms::Form {
  public:
    frmOptions();

    void cmdOK_Click();
    void cmdCancel_Click();

  protected:
    void Form_Activate() override;
};

// The apply of the decimal places: a count from 0 to 4 is stored as DECIMAL_PLACE and DecimalPlaces
// and PriceFormat are rebuilt from it, then the active sheet is refreshed so that its prices show
// the new count. Returns False, changing nothing, for a count outside 0 to 4 or when the
// configuration could not be written (logged at level 1).
bool ApplyDecimalPlaces(short decimals);

}  // namespace kavex::addin::commandbars
