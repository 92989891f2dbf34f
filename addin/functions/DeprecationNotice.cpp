#include "addin/functions/DeprecationNotice.h"

#include "addin/session/Session.h"
#include "platform/forms/MsgBox.h"

namespace kavex::addin::functions {

void ShowDeprecationNoticeOnce(bool newMacro) {
    if (newMacro || !session::ShowDeprecatedMacroWarning)
        return;
    session::ShowDeprecatedMacroWarning = false;
    forms::MsgBox(kDeprecationNotice, forms::vbOKOnly | forms::vbExclamation, "Kavex");
}

}  // namespace kavex::addin::functions
