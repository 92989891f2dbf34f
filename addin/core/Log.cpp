#include "addin/core/Log.h"

#include <cstdio>
#include <string>

#include "addin/core/Globals.h"
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
        const std::string path = AddInPath + std::string(kLogFileName);
        // Opened and closed on each call, so that a crash loses no line and another program may
        // read or remove the file between calls.
        std::FILE* file = std::fopen(path.c_str(), "ab");
        if (file == nullptr) {
            return;
        }
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    } catch (...) {
        // The log is a help, never a cause of failure.
    }
}

}  // namespace kavex::addin::core
