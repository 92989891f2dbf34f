#include "platform/forms/ScriptedDriver.h"

#include <algorithm>
#include <charconv>

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"

namespace kavex::forms {

namespace {

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string buttonList(int style) {
    std::string out;
    for (int button : messageBoxButtons(style)) {
        out += (out.empty() ? "" : ", ") + std::string(buttonName(button));
    }
    return out;
}

std::string describe(const FormAction& action) {
    switch (action.kind) {
        case FormAction::Kind::Set:
            return "set " + action.control + " " + quoted(action.value);
        case FormAction::Kind::Choose:
            return "choose " + action.control + " " + action.value;
        case FormAction::Kind::Option:
            return "option " + action.control;
        case FormAction::Kind::Click:
            return "click " + action.control;
    }
    return action.control;
}

std::optional<bool> parseFlag(std::string_view text) {
    const std::string value = base::toLowerAscii(text);
    if (value == "true" || value == "1" || value == "yes" || value == "on") {
        return true;
    }
    if (value == "false" || value == "0" || value == "no" || value == "off") {
        return false;
    }
    return std::nullopt;
}

}  // namespace

void ScriptedDriver::fail(const std::string& reason, const std::string& origin) {
    DialogFailure failure(origin.empty() ? reason : reason + " (from " + origin + ")", origin);
    if (!failure_) {
        failure_ = failure;
    }
    throw failure;
}

int ScriptedDriver::messageBox(std::string_view prompt, int style, std::string_view title) {
    MessageRecord record{std::string(prompt), style, std::string(title), 0};
    const std::vector<int> buttons = messageBoxButtons(style);
    if (buttons.size() == 1) {
        // A box with only OK closes by itself.
        record.result = vbOK;
        messages_.push_back(record);
        return vbOK;
    }
    messages_.push_back(record);
    if (answers_.empty()) {
        fail("a message box nobody answered (" + buttonList(style) + "): " + quoted(prompt));
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    if (std::find(buttons.begin(), buttons.end(), answer.result) == buttons.end()) {
        fail("the answer " + std::string(buttonName(answer.result)) +
                 " is not a button of the message box (" + buttonList(style) +
                 "): " + quoted(prompt),
             answer.origin);
    }
    messages_.back().result = answer.result;
    return answer.result;
}

void ScriptedDriver::formShown(Form& form, bool modal) {
    forms_.push_back({form.Name(), modal});
    const auto queued = formActions_.find(base::toLowerAscii(form.Name()));
    if (queued != formActions_.end() && !queued->second.empty()) {
        const std::vector<FormAction> actions = std::move(queued->second.front());
        queued->second.pop_front();
        for (const auto& action : actions) {
            if (!form.isLoaded() || !form.Visible()) {
                fail("the form " + form.Name() + " closed before " + describe(action),
                     action.origin);
            }
            perform(form, action);
        }
    }
    if (modal && form.isLoaded() && form.Visible()) {
        fail("the form " + form.Name() + " was shown and nobody answered it" +
             (form.Caption().empty() ? std::string() : " (" + quoted(form.Caption()) + ")"));
    }
}

void ScriptedDriver::perform(Form& form, const FormAction& action) {
    Control* control = form.find(action.control);
    const std::string what = describe(action) + " on the form " + form.Name();
    if (control == nullptr) {
        std::string known;
        for (const auto& each : form.controls()) {
            known += (known.empty() ? "" : ", ") + each->Name();
        }
        fail(what + ": the form has no control " + action.control +
                 " (its controls: " + (known.empty() ? std::string("none") : known) + ")",
             action.origin);
    }
    if (!control->Visible()) {
        fail(what + ": the control is hidden", action.origin);
    }
    if (!control->Enabled()) {
        fail(what + ": the control is disabled", action.origin);
    }
    const ControlKind kind = control->kind();
    const std::string kindName(controlKindName(kind));
    try {
        switch (action.kind) {
            case FormAction::Kind::Set:
                if (kind == ControlKind::TextBox || kind == ControlKind::ComboBox) {
                    control->setText(action.value);
                } else if (kind == ControlKind::ListBox) {
                    if (std::find(control->items().begin(), control->items().end(), action.value) ==
                        control->items().end()) {
                        fail(what + ": the list has no row " + quoted(action.value), action.origin);
                    }
                    control->setText(action.value);
                } else if (kind == ControlKind::CheckBox || kind == ControlKind::OptionButton) {
                    const auto flag = parseFlag(action.value);
                    if (!flag) {
                        fail(what + ": a " + kindName + " takes True or False", action.origin);
                    }
                    control->setValue(base::Variant(*flag));
                } else {
                    fail(what + ": a " + kindName + " cannot be set", action.origin);
                }
                return;
            case FormAction::Kind::Choose: {
                if (kind != ControlKind::ComboBox && kind != ControlKind::ListBox) {
                    fail(what + ": a " + kindName + " has no list", action.origin);
                }
                int index = 0;
                const auto* end = action.value.data() + action.value.size();
                const auto parsed = std::from_chars(action.value.data(), end, index);
                if (parsed.ec != std::errc() || parsed.ptr != end) {
                    fail(what + ": the index is not a whole number", action.origin);
                }
                if (index < 0 || index >= control->ListCount()) {
                    fail(what + ": the list has " + std::to_string(control->ListCount()) +
                             " rows (0 to " + std::to_string(control->ListCount() - 1) + ")",
                         action.origin);
                }
                control->setListIndex(index);
                return;
            }
            case FormAction::Kind::Option:
                if (kind != ControlKind::OptionButton) {
                    fail(what + ": a " + kindName + " is not an option button", action.origin);
                }
                control->click();
                return;
            case FormAction::Kind::Click:
                control->click();
                return;
        }
    } catch (const base::PlatformError& error) {
        fail(what + ": " + error.description(), action.origin);
    }
}

std::optional<std::string> ScriptedDriver::saveAsFilename(std::string_view initialName,
                                                          std::string_view /*filter*/,
                                                          std::string_view title) {
    if (saveAs_.empty()) {
        fail("a Save As dialog nobody answered" +
             (title.empty() ? std::string() : " (" + quoted(title) + ")") + " for " +
             quoted(initialName));
    }
    SaveAs answer = std::move(saveAs_.front());
    saveAs_.pop_front();
    return answer.file;
}

void ScriptedDriver::queueAnswer(int result, std::string origin) {
    answers_.push_back({result, std::move(origin)});
}

void ScriptedDriver::queueFormActions(const std::string& formName,
                                      std::vector<FormAction> actions) {
    formActions_[base::toLowerAscii(formName)].push_back(std::move(actions));
}

void ScriptedDriver::queueSaveAs(std::optional<std::string> file, std::string origin) {
    saveAs_.push_back({std::move(file), std::move(origin)});
}

std::vector<ScriptedDriver::Unused> ScriptedDriver::unused() const {
    std::vector<Unused> left;
    for (const Answer& answer : answers_) {
        left.push_back({answer.origin, "answer " + std::string(buttonName(answer.result))});
    }
    for (const auto& [name, lists] : formActions_) {
        for (const auto& actions : lists) {
            left.push_back(
                {actions.empty() ? std::string() : actions.front().origin, "form " + name});
        }
    }
    for (const SaveAs& answer : saveAs_) {
        left.push_back({answer.origin, "answer save-as"});
    }
    return left;
}

void ScriptedDriver::reset() {
    answers_.clear();
    formActions_.clear();
    saveAs_.clear();
    messages_.clear();
    forms_.clear();
    failure_.reset();
}

}  // namespace kavex::forms
