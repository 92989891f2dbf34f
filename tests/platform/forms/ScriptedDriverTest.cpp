#include "platform/forms/ScriptedDriver.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/forms/MsgBox.h"
#include "platform/forms/TerminalDriver.h"
#include "tests/platform/forms/FormTestForms.h"

namespace kavex::forms {
namespace {

using testing::frmInterval;

class ScriptedDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useScriptedDriver();
        scriptedDriver().reset();
    }
    void TearDown() override {
        useScriptedDriver();
        scriptedDriver().reset();
    }
    ScriptedDriver& driver() { return scriptedDriver(); }
};

TEST_F(ScriptedDriverTest, AnOkOnlyBoxClosesByItselfAndIsRecorded) {
    EXPECT_EQ(MsgBox("Saved.", vbExclamation + vbSystemModal, "Kavex"), vbOK);
    ASSERT_EQ(driver().messages().size(), 1u);
    const auto& message = driver().messages()[0];
    EXPECT_EQ(message.prompt, "Saved.");
    EXPECT_EQ(message.style, 48 + 4096);
    EXPECT_EQ(message.title, "Kavex");
}

TEST_F(ScriptedDriverTest, QueuedAnswersAnswerTheBoxesThatOfferAChoiceInOrder) {
    driver().queueAnswer(vbNo);
    driver().queueAnswer(vbRetry);
    MsgBox("Just a notice.");  // takes no answer
    EXPECT_EQ(MsgBox("Delete?", vbYesNo + vbQuestion, "Kavex"), vbNo);
    EXPECT_EQ(MsgBox("Try again?", vbRetryCancel, "Kavex"), vbRetry);
    EXPECT_EQ(driver().messages().back().result, vbRetry);
    EXPECT_EQ(driver().pendingAnswers(), 0u);
}

TEST_F(ScriptedDriverTest, AModalBoxNobodyAnsweredFailsWithItsPrompt) {
    try {
        MsgBox("Do you want to log out?", vbYesNo, "Kavex");
        FAIL() << "an unanswered box must fail";
    } catch (const DialogFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find("\"Do you want to log out?\""),
                  std::string::npos);
    }
    ASSERT_TRUE(driver().failure());  // kept even when a caller swallows it
    EXPECT_EQ(driver().messages().size(), 1u);
}

TEST_F(ScriptedDriverTest, AnAnswerTheBoxDoesNotOfferFailsAndNamesItsScriptLine) {
    driver().queueAnswer(vbYes, "a.kvs:4");
    try {
        MsgBox("Continue?", vbOKCancel, "Kavex");
        FAIL();
    } catch (const DialogFailure& failure) {
        EXPECT_EQ(failure.origin(), "a.kvs:4");
        EXPECT_NE(std::string(failure.what()).find("Yes"), std::string::npos);
    }
}

TEST_F(ScriptedDriverTest, QueuedActionsRunWhenTheFormIsNextShown) {
    driver().queueFormActions("FRMINTERVAL", {{FormAction::Kind::Option, "optOn", "", "s:1"},
                                              {FormAction::Kind::Choose, "cmbInterval", "1", "s:1"},
                                              {FormAction::Kind::Set, "txtNote", "hello", "s:1"},
                                              {FormAction::Kind::Set, "chkRemember", "True", "s:1"},
                                              {FormAction::Kind::Click, "cmdOK", "", "s:1"}});
    frmInterval form;
    form.Show();
    EXPECT_EQ(form.chosen, "Every 60 Secs");
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(form.txtNote.Text(), "hello");
    EXPECT_TRUE(form.chkRemember.Value().boolean());
    EXPECT_EQ(form.initializations, 1);
    EXPECT_EQ(form.activations, 1);
    EXPECT_EQ(form.events, (std::vector<std::string>{"cmbInterval_Change", "cmbInterval_Click"}));
    ASSERT_EQ(driver().formsShown().size(), 1u);
    EXPECT_EQ(driver().formsShown()[0].name, "frmInterval");
    EXPECT_TRUE(driver().formsShown()[0].modal);
}

TEST_F(ScriptedDriverTest, AMessageFromAFormHandlerIsRecordedAndTheFormStaysOpen) {
    driver().queueFormActions("frmInterval", {{FormAction::Kind::Option, "optOn", "", ""},
                                              {FormAction::Kind::Click, "cmdOK", "", ""},
                                              {FormAction::Kind::Click, "cmdCancel", "", ""}});
    frmInterval form;
    form.Show();
    ASSERT_EQ(driver().messages().size(), 1u);
    EXPECT_EQ(driver().messages()[0].prompt, "Choose an interval.");
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(form.chosen, "");
}

TEST_F(ScriptedDriverTest, AModalFormLeftOpenFails) {
    frmInterval form;
    EXPECT_THROW(form.Show(vbModal), DialogFailure);
    driver().clearFailure();
    form.Unload();
    form.Show(vbModeless);  // a modeless form may stay open
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(driver().failure());
}

TEST_F(ScriptedDriverTest, ActionsThatCannotBeDoneFailWithAClearReason) {
    auto reasonFor = [&](FormAction action) {
        driver().reset();
        action.origin = "s.kvs:9";
        // The ON option enables the list first.
        driver().queueFormActions("frmInterval",
                                  {{FormAction::Kind::Option, "optOn", "", ""}, action});
        frmInterval form;
        try {
            form.Show(vbModeless);
        } catch (const DialogFailure& failure) {
            EXPECT_EQ(failure.origin(), "s.kvs:9");
            const std::string what = failure.what();
            const std::string suffix = " (from s.kvs:9)";
            EXPECT_TRUE(what.ends_with(suffix)) << what;
            return what.substr(0, what.size() - suffix.size());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(reasonFor({FormAction::Kind::Click, "cmdMissing", "", ""}),
              "click cmdMissing on the form frmInterval: the form has no control cmdMissing (its "
              "controls: lblHeading, Line1, optOn, optOff, cmbInterval, chkRemember, txtNote, "
              "cmdOK, cmdCancel)");
    EXPECT_EQ(reasonFor({FormAction::Kind::Choose, "cmbInterval", "3", ""}),
              "choose cmbInterval 3 on the form frmInterval: the list has 3 rows (0 to 2)");
    EXPECT_EQ(reasonFor({FormAction::Kind::Choose, "cmbInterval", "x", ""}),
              "choose cmbInterval x on the form frmInterval: the index is not a whole number");
    EXPECT_EQ(reasonFor({FormAction::Kind::Set, "lblHeading", "x", ""}),
              "set lblHeading \"x\" on the form frmInterval: a Label cannot be set");
    EXPECT_EQ(reasonFor({FormAction::Kind::Option, "cmdOK", "", ""}),
              "option cmdOK on the form frmInterval: a CommandButton is not an option button");
}

TEST_F(ScriptedDriverTest, ADisabledControlCannotBeUsed) {
    // Activation chooses the OFF option, whose Click disables the list.
    driver().queueFormActions("frmInterval",
                              {{FormAction::Kind::Choose, "cmbInterval", "0", "s.kvs:3"}});
    frmInterval form;
    try {
        form.Show(vbModeless);
        FAIL();
    } catch (const DialogFailure& failure) {
        EXPECT_STREQ(failure.what(),
                     "choose cmbInterval 0 on the form frmInterval: the control is disabled (from "
                     "s.kvs:3)");
    }
}

TEST_F(ScriptedDriverTest, SaveAsAnswersComeFromTheQueue) {
    driver().queueSaveAs(std::string("/tmp/book.json"));
    driver().queueSaveAs(std::nullopt);
    EXPECT_EQ(driver().saveAsFilename("Book1", "", "Save"), "/tmp/book.json");
    EXPECT_EQ(driver().saveAsFilename("Book1", "", "Save"), std::nullopt);
    EXPECT_THROW(driver().saveAsFilename("Book1", "", "Save"), DialogFailure);
}

TEST(TerminalDriverTest, ReadsButtonsAndFormActionsFromInput) {
    std::istringstream in(
        "maybe\nno\n\nclick cmdNothing\noption optOn\nchoose cmbInterval 0\nclick cmdOK\n");
    std::ostringstream out;
    setDialogDriver(std::make_shared<TerminalDriver>(in, out));
    EXPECT_EQ(MsgBox("Sure?", vbYesNo, "Kavex"), vbNo);
    EXPECT_EQ(MsgBox("Sure?", vbYesNo + vbDefaultButton2, "Kavex"), vbNo);  // empty: default
    frmInterval form;
    form.Show();
    EXPECT_EQ(form.chosen, "Every 30 Secs");
    EXPECT_NE(out.str().find("[Kavex] Sure?"), std::string::npos);
    EXPECT_NE(out.str().find("No control cmdNothing"), std::string::npos);
    EXPECT_THROW(MsgBox("More?", vbYesNo, "Kavex"), DialogFailure);  // end of input
    useScriptedDriver();
}

}  // namespace
}  // namespace kavex::forms
