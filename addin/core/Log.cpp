#include "addin/core/Log.h"

#include <string>

#include "addin/core/Globals.h"
#include "addin/core/LogFile.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"

namespace kavex::addin::core {

void WriteLog(std::string_view procedureName, short level, std::string_view message) {
    // LOG_LEVEL 0 means no log at all, whatever level a caller passes.
    if (LogLevel <= 0 || level > LogLevel || AddInPath.empty()) {
        return;
    }
    try {
        std::string line = base::formatGeneralDate(os::Now());
        line += '\t';
        line += procedureName;
        line += '\t';
        line += message;
        line += '\n';
        // Kept open between lines (opening it for every line cost more than the rest of the
        // logging); each line still reaches the file as it is written, and a file removed,
        // renamed or replaced, or a moved folder, is followed.
        static LogFile file;
        file.append(AddInPath + std::string(kLogFileName), line);
    } catch (...) {
        // The log is a help, never a cause of failure.
    }
}

}  // namespace kavex::addin::core
