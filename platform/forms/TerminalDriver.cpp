#include "platform/forms/TerminalDriver.h"

#include <sstream>
#include <string>

#include "platform/base/PlatformError.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"

namespace kavex::forms {

namespace {

std::string readLine(std::istream& in, const std::string& what) {
    std::string line;
    if (!std::getline(in, line)) {
        throw DialogFailure("no answer for " + what + ": end of input");
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

void printForm(std::ostream& out, const Form& form) {
    out << "== " << form.Name();
    if (!form.Caption().empty()) {
        out << " \"" << form.Caption() << "\"";
    }
    out << " ==\n";
    for (const auto& control : form.controls()) {
        if (!control->Visible() || control->kind() == ControlKind::Line) {
            continue;
        }
        out << "  " << control->Name() << " (" << controlKindName(control->kind()) << ")";
        if (!control->Caption().empty()) {
            out << " \"" << control->Caption() << "\"";
        }
        switch (control->kind()) {
            case ControlKind::TextBox:
                out << " = \"" << control->Text() << "\"";
                break;
            case ControlKind::ComboBox:
            case ControlKind::ListBox:
                out << " = \"" << control->Text() << "\" [";
                for (int i = 0; i < control->ListCount(); ++i) {
                    out << (i ? " | " : "") << i << ": " << control->List(i);
                }
                out << "]";
                break;
            case ControlKind::CheckBox:
            case ControlKind::OptionButton:
                out << (control->Value().boolean() ? " [x]" : " [ ]");
                break;
            default:
                break;
        }
        if (!control->Enabled()) {
            out << " (disabled)";
        }
        out << "\n";
    }
}

}  // namespace

int TerminalDriver::messageBox(std::string_view prompt, int style, std::string_view title) {
    const std::vector<int> buttons = messageBoxButtons(style);
    out_ << "[" << title << "] " << prompt << "\n";
    if (buttons.size() == 1) {
        out_ << "(OK)\n";
        return vbOK;
    }
    while (true) {
        out_ << "Answer";
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            out_ << (i ? " / " : " ") << buttonName(buttons[i])
                 << (buttons[i] == defaultButton(style) ? "*" : "");
        }
        out_ << ": " << std::flush;
        const std::string line = readLine(in_, "the message box \"" + std::string(prompt) + "\"");
        if (line.empty()) {
            return defaultButton(style);
        }
        const int chosen = buttonFromName(line);
        for (int button : buttons) {
            if (button == chosen) {
                return button;
            }
        }
        out_ << "Not a button of this box.\n";
    }
}

void TerminalDriver::formShown(Form& form, bool modal) {
    if (!modal) {
        printForm(out_, form);
        return;
    }
    while (form.isLoaded() && form.Visible()) {
        printForm(out_, form);
        out_ << "Action (set NAME VALUE | choose NAME INDEX | option NAME | click NAME): "
             << std::flush;
        const std::string line = readLine(in_, "the form " + form.Name());
        std::istringstream words(line);
        std::string verb, name;
        words >> verb >> name;
        std::string rest;
        std::getline(words >> std::ws, rest);
        Control* control = form.find(name);
        if (control == nullptr) {
            out_ << "No control " << name << ".\n";
            continue;
        }
        if (!control->Enabled() || !control->Visible()) {
            out_ << "The control " << name << " is not available.\n";
            continue;
        }
        try {
            if (verb == "set") {
                if (control->kind() == ControlKind::CheckBox ||
                    control->kind() == ControlKind::OptionButton) {
                    control->setValue(
                        base::Variant(rest == "True" || rest == "true" || rest == "1"));
                } else {
                    control->setText(rest);
                }
            } else if (verb == "choose") {
                control->setListIndex(std::stoi(rest));
            } else if (verb == "option" || verb == "click") {
                control->click();
            } else {
                out_ << "Unknown action.\n";
            }
        } catch (const base::PlatformError& error) {
            out_ << error.description() << "\n";
        } catch (const std::logic_error&) {
            out_ << "Not a number.\n";
        }
    }
}

std::optional<std::string> TerminalDriver::saveAsFilename(std::string_view initialName,
                                                          std::string_view /*filter*/,
                                                          std::string_view title) {
    out_ << "[" << title << "] Save as (empty to cancel) [" << initialName << "]: " << std::flush;
    const std::string line = readLine(in_, "the Save As dialog");
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

}  // namespace kavex::forms
