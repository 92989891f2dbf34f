#pragma once

#include "addin/portfolio/TransactionRecord.h"
#include "platform/forms/Form.h"

namespace kavex::addin::portfolio::dialogs {

// The transaction form: cmbTransactionType (the transaction types a user books), txtSymbol,
// txtTransactionDate, txtNoofShares, txtPrice, txtCommission (the trades), txtAmount (the cash
// types), txtRemarks, cmdOK and cmdCancel. It opens on TransactionRecord; in the entry mode "Edit"
// its type is the edited transaction's and cannot change. OK books through the portfolio engine
// and closes the form once booked; a refusal keeps it open with what was typed. Cancel changes
// nothing.
class frmTransaction : public forms::Form {
  public:
    // typeName: the type the form opens on ("" lets the user choose).
    explicit frmTransaction(std::string typeName = {});
    ~frmTransaction() override;

    void cmdOK_Click();
    void cmdCancel_Click();

    // What the form holds; a field that does not read stays empty or 0.
    TransactionFields Fields() const;

  protected:
    void Form_Activate() override;
    void Form_Terminate() override;

  private:
    std::string typeName_;
};

// The transaction form being shown; nullptr when none is.
frmTransaction* OpenTransactionForm();

// Shows the form modally for a new transaction on the active portfolio (the command
// "add transaction"); on any other sheet it says so instead.
void ShowTransactionForm();

}  // namespace kavex::addin::portfolio::dialogs
