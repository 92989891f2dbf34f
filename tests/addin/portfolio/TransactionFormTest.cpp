#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addin/commandbars/CommandDispatcher.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/dialogs/TransactionCommands.h"
#include "addin/portfolio/dialogs/frmTransaction.h"
#include "platform/forms/DialogDriver.h"
#include "tests/addin/portfolio/PortfolioFixture.h"

namespace kavex::addin::portfolio::dialogs {
namespace {

using forms::FormAction;

class TransactionFormTest : public testing::PortfolioFixture {
  protected:
    static FormAction set(const std::string& control, const std::string& value) {
        return {FormAction::Kind::Set, control, value, {}};
    }
    static FormAction choose(const std::string& type) {
        static const std::vector<std::string> types = {
            "Buy",      "Sell",         "Sell Short", "Cover Short", "Dividend Stocks",
            "Add Cash", "Withdraw Cash"};
        const auto at = std::find(types.begin(), types.end(), type) - types.begin();
        return {FormAction::Kind::Choose, "cmbTransactionType", std::to_string(at), {}};
    }
    static FormAction click(const std::string& button) {
        return {FormAction::Kind::Click, button, {}, {}};
    }
    static void queue(std::vector<FormAction> actions) {
        forms::scriptedDriver().queueFormActions("frmTransaction", std::move(actions));
    }
};

TEST_F(TransactionFormTest, ANewTransactionIsBookedThroughTheForm) {
    queue({choose("Add Cash"), set("txtTransactionDate", "1/2/2024"), set("txtAmount", "$1,000"),
           click("cmdOK")});
    ShowTransactionForm();
    queue({choose("Buy"), set("txtSymbol", " ibm "), set("txtTransactionDate", "1/3/2024"),
           set("txtNoofShares", "10"), set("txtPrice", "$25.50"), set("txtCommission", ""),
           set("txtRemarks", "=first"), click("cmdOK")});
    ShowTransactionForm();
    EXPECT_EQ(lastPrompt(), "Buy transaction completed.");
    EXPECT_EQ(portfolioRow(6), "2|IBM|Buy|long|1/3/2024|10|$25.50|$0.00|=first");
    EXPECT_EQ(cash(), "$745.00");
    EXPECT_EQ(OpenTransactionForm(), nullptr);
}

TEST_F(TransactionFormTest, ARefusalKeepsTheFormOpenAndCancelChangesNothing) {
    queue({choose("Sell"), set("txtSymbol", "IBM"), set("txtTransactionDate", "1/3/2024"),
           set("txtNoofShares", "ten"), set("txtPrice", "25"), click("cmdOK"),
           set("txtNoofShares", "10"), click("cmdOK"), set("txtTransactionDate", "13/45/2024"),
           click("cmdOK"), click("cmdCancel")});
    ShowTransactionForm();
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             "Number of shares must be a number.",
                             "Sell of 10 IBM on 1/3/2024 refused: only 0 shares of IBM are "
                             "open on that date.",
                             "Enter a valid date."}));
    EXPECT_EQ(shown(history(), "A6"), "");
    EXPECT_EQ(TransactionEntryMode, "");
}

TEST_F(TransactionFormTest, AnEditLinkOpensTheFormOnItsRowAndBooksTheChange) {
    ASSERT_TRUE(
        BuyTransactionFunction("Buy", "long", 3, "IBM", day(2024, 1, 3), 100, 10, 5, "note"));
    // Cancel first: nothing changes and the entry mode is empty again.
    queue({click("cmdCancel")});
    EditTransaction(portfolio().range("A6"));
    EXPECT_EQ(TransactionEntryMode, "");
    EXPECT_EQ(shown(history(), "A7"), "");

    queue({set("txtPrice", "11"), click("cmdOK")});
    EditTransaction(portfolio().range("A6"));
    EXPECT_EQ(lastPrompt(), "Buy transaction Updated.");
    EXPECT_EQ(portfolioRow(6), "2|IBM|Buy|long|1/3/2024|100|$11.00|$5.00|note-Created");
    EXPECT_EQ(shown(history(), "I6"), "note-Deleted");
    EXPECT_EQ(TransactionEntryMode, "");
}

TEST_F(TransactionFormTest, TheEditFormShowsTheRowAndKeepsItsType) {
    ASSERT_TRUE(
        BuyTransactionFunction("Sell Short", "short", 5, "KO", day(2024, 1, 3), 40, 50, 0, ""));
    // Choosing another type is refused by the form itself: the list is locked in an edit.
    queue({choose("Buy")});
    EXPECT_THROW(EditTransaction(portfolio().range("B6")), forms::DialogFailure);
    ASSERT_TRUE(forms::scriptedDriver().failure().has_value());
    forms::scriptedDriver().clearFailure();

    frmTransaction form("Sell Short");
    TransactionEditRow = 6;
    bool fromSheet = true;
    FillRecord(fromSheet);
    queue({set("txtRemarks", "seen"), click("cmdCancel")});
    TransactionEntryMode = "Edit";
    form.Show(forms::vbModal);
    EXPECT_EQ(form.control("cmbTransactionType").Text(), "Sell Short");
    EXPECT_EQ(form.control("txtSymbol").Text(), "KO");
    EXPECT_EQ(form.control("txtNoofShares").Text(), "40");
    EXPECT_EQ(form.control("txtPrice").Text(), "50");
    EXPECT_EQ(form.control("txtTransactionDate").Text(), "1/3/2024");
}

// A stock dividend costs nothing: its lot shows its price 0 in the form and is changed through its
// link without retyping it, and a new one is booked with the price left blank. Other trades still
// need a price.
TEST_F(TransactionFormTest, ADividendStocksLotWithPriceZeroIsEditedAndBookedThroughTheForm) {
    queue({choose("Dividend Stocks"), set("txtSymbol", "IBM"),
           set("txtTransactionDate", "1/3/2024"), set("txtNoofShares", "5"), set("txtPrice", ""),
           set("txtCommission", ""), click("cmdOK")});
    ShowTransactionForm();
    EXPECT_EQ(lastPrompt(), "Dividend Stock transaction completed.");
    EXPECT_EQ(portfolioRow(6), "1|IBM|Dividend Stocks|long|1/3/2024|5|$0.00|$0.00|");

    // Through its link: only the remarks are changed, the price 0 is taken as it is shown.
    queue({set("txtRemarks", "from the spin-off"), click("cmdOK")});
    EditTransaction(portfolio().range("A6"));
    EXPECT_EQ(lastPrompt(), "Dividend Stock transaction Updated.");
    EXPECT_EQ(portfolioRow(6),
              "2|IBM|Dividend Stocks|long|1/3/2024|5|$0.00|$0.00|from the spin-off-Created");

    // The form of the edited lot shows the price 0 and the commission 0 in their boxes.
    frmTransaction form("Dividend Stocks");
    TransactionEditRow = 6;
    bool fromSheet = true;
    FillRecord(fromSheet);
    TransactionEntryMode = "Edit";
    queue({click("cmdCancel")});
    form.Show(forms::vbModal);
    EXPECT_EQ(form.control("txtPrice").Text(), "0");
    EXPECT_EQ(form.control("txtCommission").Text(), "0");
    EXPECT_EQ(form.control("txtNoofShares").Text(), "5");

    // A new transaction starts with empty boxes, and a Buy without a price is refused.
    forms::scriptedDriver().reset();
    queue({choose("Buy"), set("txtSymbol", "IBM"), set("txtTransactionDate", "1/3/2024"),
           set("txtNoofShares", "5"), click("cmdOK"), click("cmdCancel")});
    ShowTransactionForm();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Price must be a number."}));
}

TEST_F(TransactionFormTest, ALinkOnARowWithoutATransactionIsRefused) {
    portfolio().range("B6").setValue(base::Variant("IBM"));
    EditTransaction(portfolio().range("A6"));
    EXPECT_EQ(lastPrompt(), "That row holds no booked transaction.");
    DeleteTransaction(history().range("J6"));
    EXPECT_EQ(lastPrompt(), "That row holds no transaction.");
    EXPECT_TRUE(forms::scriptedDriver().formsShown().empty());
}

TEST_F(TransactionFormTest, TheCommandOpensTheFormOnlyOnAPortfolio) {
    history().activate();
    queue({click("cmdCancel")});
    EXPECT_TRUE(commandbars::DispatchCommand("Add Transaction"));
    EXPECT_EQ(forms::scriptedDriver().formsShown().size(), 1u);

    book_.worksheets().item("KavexInfo").activate();
    EXPECT_TRUE(commandbars::DispatchCommand("add transaction"));
    EXPECT_EQ(lastPrompt(), "Open a portfolio sheet first.");
    EXPECT_EQ(forms::scriptedDriver().formsShown().size(), 1u);
}

TEST_F(TransactionFormTest, TheCellMenuDeletesTheTransactionOfTheActiveRow) {
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "IBM", day(2024, 1, 3), 10, 10, 0, ""));
    history().activate();
    host_.select(history().range("C6"));
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    EXPECT_TRUE(commandbars::DispatchCommand("delete transaction"));
    EXPECT_EQ(shown(history(), "A6"), "");
    EXPECT_EQ(portfolioRow(6), "||||||||");
}

}  // namespace
}  // namespace kavex::addin::portfolio::dialogs
