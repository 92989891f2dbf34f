#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/DialogDriver.h"

namespace kavex::forms {

// One thing a script does on a form: set CONTROL VALUE, choose CONTROL INDEX, option CONTROL,
// click CONTROL. origin is "file:line" of the script line, for failures.
struct FormAction {
    enum class Kind { Set, Choose, Option, Click };
    Kind kind = Kind::Click;
    std::string control;
    std::string value;  // Set: the value; Choose: the index
    std::string origin;
};

struct MessageRecord {
    std::string prompt;
    int style = 0;
    std::string title;
    int result = 0;
};

struct FormRecord {
    std::string name;
    bool modal = false;
};

// Answers dialogs from queues filled by a test or a scenario and records what was shown.
// - A message box whose only button is OK is recorded and closed (result vbOK) without an answer.
// - Any other box takes the next queued answer; none queued, or an answer the box does not offer,
//   is a DialogFailure naming the prompt.
// - A form runs the next action list queued for its name, in order, when it is shown; a modal form
//   still open afterwards is a DialogFailure naming the form, as is an action on a control the
//   form lacks, a disabled control, or a value the control refuses.
class ScriptedDriver : public DialogDriver {
  public:
    int messageBox(std::string_view prompt, int style, std::string_view title) override;
    void formShown(Form& form, bool modal) override;
    std::optional<std::string> saveAsFilename(std::string_view initialName, std::string_view filter,
                                              std::string_view title) override;

    void queueAnswer(int result, std::string origin = {});
    void queueFormActions(const std::string& formName, std::vector<FormAction> actions);
    // nullopt answers the Save As dialog with Cancel.
    void queueSaveAs(std::optional<std::string> file, std::string origin = {});

    const std::vector<MessageRecord>& messages() const { return messages_; }
    const std::vector<FormRecord>& formsShown() const { return forms_; }
    std::size_t pendingAnswers() const { return answers_.size(); }

    // What was queued and never used, in the order it was queued within each kind: answers,
    // then form actions, then Save As answers. A script that queued them expected a dialog that
    // never came.
    struct Unused {
        std::string origin;  // the script line that queued it, when one did
        std::string what;    // "answer Yes", "form frmLogin", "answer save-as"
    };
    std::vector<Unused> unused() const;

    // The first failure raised since the last clearFailure (also when someone caught it).
    const std::optional<DialogFailure>& failure() const { return failure_; }
    void clearFailure() { failure_.reset(); }

    void reset();

  private:
    struct Answer {
        int result = 0;
        std::string origin;
    };
    struct SaveAs {
        std::optional<std::string> file;
        std::string origin;
    };

    [[noreturn]] void fail(const std::string& reason, const std::string& origin = {});
    void perform(Form& form, const FormAction& action);

    std::deque<Answer> answers_;
    std::map<std::string, std::deque<std::vector<FormAction>>> formActions_;  // by lower-case name
    std::deque<SaveAs> saveAs_;
    std::vector<MessageRecord> messages_;
    std::vector<FormRecord> forms_;
    std::optional<DialogFailure> failure_;
};

// The process-wide scripted driver; it is the dialog driver until another is installed, and
// useScriptedDriver() installs it again.
ScriptedDriver& scriptedDriver();
void useScriptedDriver();

}  // namespace kavex::forms
