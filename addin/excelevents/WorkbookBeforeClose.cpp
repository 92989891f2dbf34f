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

}  // namespace

// The add-in replaces the host's save prompt, with or without a session. DisplayAlerts stays off
// afterwards except when the Save As dialog was dismissed; the disconnection turns it back on.
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
        if (!path.empty()) {
            // 7. Saved before: saved again where it lives.
            trap([&] { workbook.save(); });
        } else {
            // 8. Never saved: the user names the file.
            std::string fileName;
            trap([&] { fileName = base::CStr(mXLApp_->getSaveAsFilename()); });
            if (base::toLowerAscii(fileName) == "false") {
                trap([&] { mXLApp_->setDisplayAlerts(true); });
                Cancel = true;
            } else {
                trap([&] { workbook.saveAs(fileName, sheet::xlNoChange); });
            }
        }
    }
}

}  // namespace kavex::addin::excelevents
