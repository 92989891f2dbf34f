#include "addin/portfolio/dialogs/frmTransaction.h"

#include <cmath>
#include <optional>

#include "addin/core/Globals.h"
#include "addin/core/Strings.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/Ledger.h"
#include "addin/portfolio/Messages.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "addin/portfolio/TransactionCodes.h"
#include "addin/portfolio/ValidateTransactionDate.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/IdleTime.h"
#include "platform/base/Conversions.h"
#include "platform/base/Format.h"

namespace kavex::addin::portfolio::dialogs {

namespace {

// The types a user books through the form, in the order the list offers them.
constexpr short kFormTypes[] = {3, 4, 5, 6, 12, 1, 2};

frmTransaction* shownForm = nullptr;

std::optional<double> numberIn(const forms::Control& box, bool blankIsZero) {
    const std::string text = core::TrimWhitespace(box.Text());
    if (text.empty()) {
        return blankIsZero ? std::optional<double>(0) : std::nullopt;
    }
    return base::parseNumber(text);
}

// A figure of the transaction in its box. A transaction being edited shows every figure it holds,
// 0 included (a stock dividend's price); a new one starts with empty boxes.
std::string numberText(double value, bool editing) {
    return value == 0 && !editing ? std::string() : base::numberToText(value);
}

}  // namespace

frmTransaction::frmTransaction(std::string typeName)
    : forms::Form("frmTransaction", "Kavex - Transaction"), typeName_(std::move(typeName)) {
    add(forms::ControlKind::Label, "lblTransactionType", "Transaction type:");
    add(forms::ControlKind::ComboBox, "cmbTransactionType");
    add(forms::ControlKind::Label, "lblSymbol", "Symbol:");
    add(forms::ControlKind::TextBox, "txtSymbol");
    add(forms::ControlKind::Label, "lblTransactionDate", "Date:");
    add(forms::ControlKind::TextBox, "txtTransactionDate");
    add(forms::ControlKind::Label, "lblNoofShares", "Number of shares:");
    add(forms::ControlKind::TextBox, "txtNoofShares");
    add(forms::ControlKind::Label, "lblPrice", "Price per share:");
    add(forms::ControlKind::TextBox, "txtPrice");
    add(forms::ControlKind::Label, "lblCommission", "Commission:");
    add(forms::ControlKind::TextBox, "txtCommission");
    add(forms::ControlKind::Label, "lblAmount", "Amount (cash):");
    add(forms::ControlKind::TextBox, "txtAmount");
    add(forms::ControlKind::Label, "lblRemarks", "Remarks:");
    add(forms::ControlKind::TextBox, "txtRemarks");
    add(forms::ControlKind::CommandButton, "cmdOK", "&OK").setOnClick([this] { cmdOK_Click(); });
    add(forms::ControlKind::CommandButton, "cmdCancel", "&Cancel").setOnClick([this] {
        cmdCancel_Click();
    });
}

frmTransaction::~frmTransaction() {
    if (shownForm == this) {
        shownForm = nullptr;
    }
}

void frmTransaction::Form_Activate() {
    shownForm = this;
    forms::Control& types = control("cmbTransactionType");
    types.Clear();
    for (short code : kFormTypes) {
        types.AddItem(std::string(TypeOfCode(code)->name));
    }
    if (const auto type = TypeOfName(typeName_)) {
        for (int index = 0; index < types.ListCount(); ++index) {
            if (types.List(index) == type->name) {
                types.setListIndex(index);
            }
        }
    }
    types.setEnabled(TransactionEntryMode != kEntryModeEdit);
    control("txtSymbol").setText(TransactionRecord.Equity);
    control("txtTransactionDate")
        .setText(TransactionRecord.TransactionDate.serial == 0
                     ? std::string()
                     : base::formatGeneralDate(base::datePart(TransactionRecord.TransactionDate)));
    const bool editing = TransactionEntryMode == kEntryModeEdit;
    control("txtNoofShares").setText(numberText(TransactionRecord.NumberOfShares, editing));
    control("txtPrice").setText(numberText(TransactionRecord.Price, editing));
    control("txtCommission").setText(numberText(TransactionRecord.Commission, editing));
    control("txtRemarks").setText(WithoutEditMark(TransactionRecord.Remarks));
}

void frmTransaction::Form_Terminate() {
    if (shownForm == this) {
        shownForm = nullptr;
    }
}

TransactionFields frmTransaction::Fields() const {
    TransactionFields fields;
    fields.Equity = core::TrimWhitespace(control("txtSymbol").Text());
    fields.TransactionDate =
        base::parseDate(control("txtTransactionDate").Text()).value_or(base::Date{});
    fields.NumberOfShares = numberIn(control("txtNoofShares"), true).value_or(0);
    fields.Price = numberIn(control("txtPrice"), true).value_or(0);
    fields.Commission = numberIn(control("txtCommission"), true).value_or(0);
    fields.Remarks = control("txtRemarks").Text();
    return fields;
}

void frmTransaction::cmdOK_Click() {
    refresh::IdleTickCount = 0;
    const auto type = TypeOfName(control("cmbTransactionType").Text());
    if (!type) {
        ShowPortfolioMessage("Choose a transaction type.");
        return;
    }
    const std::string dateText = control("txtTransactionDate").Text();
    if (!ValidateTransactionDate(dateText)) {
        return;
    }
    base::Date date = base::datePart(*base::parseDate(dateText));
    std::string remarks = control("txtRemarks").Text();
    bool booked = false;
    if (type->effect == Effect::CashIn || type->effect == Effect::CashOut) {
        const auto amount = numberIn(control("txtAmount"), false);
        if (!amount) {
            ShowPortfolioMessage("Amount must be a number.");
            return;
        }
        double sum = *amount;
        std::string typeText(type->name);
        std::string code = std::to_string(type->code);
        booked = AddCashToPortFolioHistory(typeText, date, sum, code, remarks);
    } else {
        const auto shares = numberIn(control("txtNoofShares"), false);
        // Shares received as a dividend cost nothing: a blank price is 0.
        const auto price = numberIn(control("txtPrice"), type->code == 12);
        const auto commission = numberIn(control("txtCommission"), true);
        if (!shares || !price || !commission) {
            ShowPortfolioMessage(!shares  ? "Number of shares must be a number."
                                 : !price ? "Price must be a number."
                                          : "Commission must be a number.");
            return;
        }
        const std::string symbol = core::TrimWhitespace(control("txtSymbol").Text());
        const std::string name(type->name);
        const std::string position(PositionText(type->position));
        // The booking empties the entry mode; an edit refused keeps the form open as an edit.
        const std::string mode = TransactionEntryMode;
        booked = type->effect == Effect::Close
                     ? SellTransactionFunction(name, position, type->code, type->code, symbol, date,
                                               *shares, *price, *commission, remarks)
                     : BuyTransactionFunction(name, position, type->code, symbol, date, *shares,
                                              *price, *commission, remarks);
        if (!booked) {
            TransactionEntryMode = mode;
        }
    }
    if (booked) {
        TransactionEntryMode.clear();
        Unload();
    }
}

void frmTransaction::cmdCancel_Click() {
    refresh::IdleTickCount = 0;
    TransactionEntryMode.clear();
    Unload();
}

frmTransaction* OpenTransactionForm() {
    return shownForm;
}

void ShowTransactionForm() {
    refresh::IdleTickCount = 0;
    try {
        ActivePortfolio();
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
        return;
    }
    TransactionEntryMode.clear();
    TransactionEditRow = 0;
    TransactionRecord = {};
    TransactionRecord.TransactionDate = base::Date{};
    frmTransaction dialog;
    dialog.Show(forms::vbModal);
    if (dialog.isLoaded()) {
        dialog.Unload();
    }
}

}  // namespace kavex::addin::portfolio::dialogs
