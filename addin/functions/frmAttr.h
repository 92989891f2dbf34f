#pragma once

#include <string_view>

#include "platform/forms/Form.h"

namespace kavex::addin::functions {

// The attribute dialog: the user picks a worksheet function and types the address of the cell
// holding the symbol or exchange; OK writes "=<function>(<address>)" into the active cell.
class frmAttr : public forms::Form {
  public:
    frmAttr();

    void cmdSelect_Click();
    void cmdCancel_Click();

  protected:
    void Form_Activate() override;

  private:
    void message(std::string_view text);
};

// The handler of the context-menu entry: shows the dialog modally for the active cell.
void ShowAttributeDialog();

}  // namespace kavex::addin::functions
