#include "addin/session/Session.h"

namespace kavex::addin::session {

void ClearSession() {
    UserSessionKey.clear();
    ExFeedReferrer.clear();
    LoginUserID.clear();
    LoginDate.clear();
    DivSplitProcessFlag.clear();
    MinRefreshTime = 0;
    BroadcastFile.clear();
    LatestVersion.clear();
    DownloadFlag.clear();
    DownloadURL.clear();
}

}  // namespace kavex::addin::session
