#include "tools/kavex/runner/CommandGroups.h"

namespace kavex::tool {

CommandTable buildCommandTable() {
    CommandTable table;
    // The command groups, one line each. A new group adds its line here.
    registerRunnerCommands(table);
    registerHostCommands(table);
    registerHostExpectCommands(table);
    registerTestCommands(table);
    registerServiceCommands(table);
    registerAddinCommands(table);
    registerDialogTimeCommands(table);
    registerHostStateCommands(table);
    registerRefreshCommands(table);
    return table;
}

}  // namespace kavex::tool
