// The dialog commands as a script uses them: answers and form actions queued by one line serve
// the dialogs a later line shows, and every dialog the script did not prepare for ends the run
// with status 2 and file:line: reason, even when the code that showed it swallowed the failure.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/ScenarioRunner.h"

namespace kavex::tool {
namespace {

// A dialog with a text box and OK / Cancel; OK with an empty text complains in a message box.
class frmName : public forms::Form {
  public:
    frmName() : Form("frmName", "Name") {
        cmdOK.setOnClick([this] {
            if (txtName.Text().empty()) {
                forms::MsgBox("Please enter a name.", forms::vbExclamation, "Kavex");
                return;
            }
            entered = txtName.Text();
            Unload();
        });
        cmdCancel.setOnClick([this] { Unload(); });
    }
    forms::Control& txtName = add(forms::ControlKind::TextBox, "txtName");
    forms::Control& cmdOK = add(forms::ControlKind::CommandButton, "cmdOK", "OK");
    forms::Control& cmdCancel = add(forms::ControlKind::CommandButton, "cmdCancel", "Cancel");
    std::string entered;
};

struct Fixture {
    CommandTable table;
    std::string entered;
    int answer = 0;
    std::ostringstream out;
    std::ostringstream report;

    Fixture() {
        registerRunnerCommands(table);
        registerDialogTimeCommands(table);
        table.add({"show-name", "", "shows frmName modally", 0, 0,
                   [this](ScenarioContext&, const CommandArgs&) {
                       frmName form;
                       form.Show(forms::vbModal);
                       entered = form.entered;
                   }});
        table.add({"ask", "", "asks a Yes/No question", 0, 0,
                   [this](ScenarioContext&, const CommandArgs&) {
                       answer = forms::MsgBox("Log out now?", forms::vbYesNo, "Kavex");
                   }});
        // As the add-in's error traps do: whatever fails is caught and the procedure goes on.
        table.add({"ask-trapped", "", "asks, swallowing any failure", 0, 0,
                   [](ScenarioContext&, const CommandArgs&) {
                       try {
                           forms::MsgBox("Retry the download?", forms::vbRetryCancel, "Kavex");
                       } catch (...) {
                       }
                   }});
    }

    RunStatus run(const std::string& script) {
        std::istringstream in(script);
        ScenarioRunner runner(table, RunOptions{}, out, report);
        return runner.runStream(in, "d.kvs");
    }
};

TEST(DialogCommands, QueuedAnswersAndFormActionsServeTheDialogsOfLaterLines) {
    Fixture f;
    EXPECT_EQ(f.run("form frmName click cmdOK set txtName \"Ann Lee\" click cmdOK\n"
                    "show-name\n"
                    "expect-message \"Please enter a name.\"\n"
                    "expect-message-style Kavex 48\n"
                    "expect-no-message\n"
                    "answer no\n"
                    "ask\n"
                    "expect-message \"Log out now?\"\n"),
              RunStatus::Held)
        << f.report.str();
    EXPECT_EQ(f.entered, "Ann Lee");
    EXPECT_EQ(f.answer, forms::vbNo);
}

TEST(DialogCommands, AFormActionOnAControlTheFormLacksIsTwoNamingBothLines) {
    Fixture f;
    EXPECT_EQ(f.run("# a comment\nform frmName set txtNme x click cmdOK\nshow-name\n"),
              RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(),
              "d.kvs:3: set txtNme \"x\" on the form frmName: the form has no control txtNme "
              "(its controls: txtName, cmdOK, cmdCancel) (from d.kvs:2)\n");
}

// An answer or form actions that no dialog used mean the dialog the script expected never came:
// the script fails at its end, naming the line that queued them.
TEST(DialogCommands, AnAnswerOrFormNeverUsedFailsTheScriptWithItsLine) {
    Fixture f;
    EXPECT_EQ(f.run("echo start\nanswer Yes\necho end\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str(),
              "d.kvs: at the end of the script: answer Yes queued at d.kvs:2 was "
              "never used: no dialog asked for it\n");

    Fixture g;
    EXPECT_EQ(g.run("answer no\nask\nform frmName click cmdCancel\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(g.report.str(),
              "d.kvs: at the end of the script: form frmname queued at d.kvs:3 "
              "was never used: no dialog asked for it\n");

    Fixture h;
    EXPECT_EQ(h.run("answer save-as cancel\n"), RunStatus::CouldNotRun);
    EXPECT_NE(h.report.str().find("answer save-as queued at d.kvs:1 was never used"),
              std::string::npos)
        << h.report.str();
}

TEST(DialogCommands, AFormLeftOpenOrNeverPreparedIsTwo) {
    Fixture f;
    EXPECT_EQ(f.run("form frmName set txtName x\nshow-name\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str().rfind("d.kvs:2: ", 0), 0u) << f.report.str();
    EXPECT_NE(f.report.str().find("frmName"), std::string::npos) << f.report.str();
}

TEST(DialogCommands, AnUnansweredBoxIsTwoNamingItsPromptEvenWhenTheCodeSwallowedIt) {
    for (const char* command : {"ask", "ask-trapped"}) {
        Fixture f;
        EXPECT_EQ(f.run(std::string("echo before\n") + command + "\necho after\n"),
                  RunStatus::CouldNotRun)
            << command;
        const std::string report = f.report.str();
        EXPECT_EQ(report.rfind("d.kvs:2: ", 0), 0u) << report;
        EXPECT_NE(report.find(command == std::string("ask") ? "\"Log out now?\""
                                                            : "\"Retry the download?\""),
                  std::string::npos)
            << report;
        EXPECT_EQ(f.out.str().find("after"), std::string::npos) << "the run stopped there";
    }
}

TEST(DialogCommands, AnAnswerTheBoxDoesNotOfferIsTwo) {
    Fixture f;
    EXPECT_EQ(f.run("answer Retry\nask\n"), RunStatus::CouldNotRun);
    EXPECT_EQ(f.report.str().rfind("d.kvs:2: ", 0), 0u) << f.report.str();
}

TEST(DialogCommands, WrongArgumentsAreTwo) {
    for (const char* line :
         {"answer Maybe", "wait -1", "wait soon", "form frmName", "form frmName press cmdOK",
          "form frmName choose lstX first", "form frmName set txtName",
          "host timezone Mars/Olympus", "host now tomorrow"}) {
        Fixture f;
        EXPECT_EQ(f.run(std::string(line) + "\n"), RunStatus::CouldNotRun) << line;
        EXPECT_EQ(f.report.str().rfind("d.kvs:1: ", 0), 0u) << f.report.str();
    }
}

TEST(DialogCommands, ExpectationsOnMessagesFailWithWhatWasShown) {
    Fixture f;
    EXPECT_EQ(f.run("answer Yes\nask\nexpect-message \"Log out?\"\n"),
              RunStatus::ExpectationFailed);
    EXPECT_NE(f.report.str().find("found:    \"Log out now?\""), std::string::npos)
        << f.report.str();

    Fixture g;
    EXPECT_EQ(g.run("answer Yes\nask\nexpect-no-message\n"), RunStatus::ExpectationFailed);
}

}  // namespace
}  // namespace kavex::tool
