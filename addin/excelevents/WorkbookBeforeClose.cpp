#include <functional>
#include <string>

#include "addin/core/Errors.h"
#include "addin/excelevents/clsXLApp.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/forms/MsgBox.h"

namespace kavex::addin::excelevents {

namespace {

// Yes, No and Cancel (Yes the default), the exclamation icon, system-modal and in front: the
// host's own save question, asked by the add-in for every workbook closed.
constexpr int kSavePromptStyle = forms::vbYesNoCancel | forms::vbExclamation |
                                 forms::vbSystemModal | forms::vbMsgBoxSetForeground;
static_assert(kSavePromptStyle == 69683);
constexpr const char* kSavePromptTitle = "Microsoft Excel";
// A save that failed is told as the host tells its own failures: a critical message with OK.
constexpr int kSaveFailureStyle = forms::vbOKOnly | forms::vbCritical;

}  // namespace

// The add-in replaces the host's save prompt, with or without a session. DisplayAlerts stays off
// afterwards except when the close was given up after Yes (the Save As dialog dismissed, the
// save failed); the disconnection turns it back on.
void clsXLApp::mXLApp_WorkbookBeforeClose(const sheet::Workbook& Wb, bool& Cancel) {
    core::StepTrap trap;
    sheet::Workbook workbook = Wb;
    // 2. The host will not ask itself.
    trap([&] { mXLApp_->setDisplayAlerts(false); });
    // 3. Nothing to save: the host closes it.
    bool saved = false;
    trap([&] { saved = workbook.saved(); });
    if (saved) {
        return;
    }
    // 4. The question.
    int answer = 0;
    trap([&] {
        answer =
            forms::MsgBox("Do you want to save the changes you made to '" + workbook.name() + "'?",
                          kSavePromptStyle, kSavePromptTitle);
    });
    if (answer == forms::vbCancel) {
        // 5. The workbook stays open.
        Cancel = true;
    } else if (answer == forms::vbNo) {
        // 6. Closed without saving.
        trap([&] { workbook.setSaved(true); });
    } else if (answer == forms::vbYes) {
        std::string path;
        trap([&] { path = workbook.path(); });
        // The save of 7. or 8. When it fails (a full disk, a folder that cannot be written) or
        // is cancelled, the workbook stays open with what was typed, and a failure is shown as
        // the host shows its own.
        const auto saveOrStayOpen = [&](const std::function<void()>& save) {
            core::StepTrap saving;
            const bool failed = !saving(save);
            bool unsaved = false;
            trap([&] { unsaved = !workbook.saved(); });
            if (!failed && !unsaved) {
                return;
            }
            if (failed) {
                trap([&] {
                    forms::MsgBox(saving.last().description, kSaveFailureStyle, kSavePromptTitle);
                });
            }
            trap([&] { mXLApp_->setDisplayAlerts(true); });
            Cancel = true;
        };
        if (!path.empty()) {
            // 7. Saved before: saved again where it lives.
            saveOrStayOpen([&] { workbook.save(); });
        } else {
            // 8. Never saved: the user names the file.
            std::string fileName;
            trap([&] { fileName = base::CStr(mXLApp_->getSaveAsFilename()); });
            if (base::toLowerAscii(fileName) == "false") {
                trap([&] { mXLApp_->setDisplayAlerts(true); });
                Cancel = true;
            } else {
                saveOrStayOpen([&] { workbook.saveAs(fileName, sheet::xlNoChange); });
            }
        }
    }
}

}  // namespace kavex::addin::excelevents
