#pragma once

#include "tools/kavex/runner/CommandTable.h"

namespace kavex::tool {

// One function per command group; each lives in its own file of this folder. To add a group,
// declare its function here and call it from buildCommandTable() in CommandGroups.cpp.
void registerRunnerCommands(CommandTable& table);      // expect-error, echo
void registerHostCommands(CommandTable& table);        // open, type, follow, ...
void registerHostExpectCommands(CommandTable& table);  // expect, expect-style, ...
void registerTestCommands(CommandTable& table);        // test-function, test-events, expect-events
void registerServiceCommands(CommandTable& table);     // service, expect-service-action, sql, ...
void registerAddinCommands(CommandTable& table);       // addin load, login, command, expect-global
void registerDialogTimeCommands(
    CommandTable& table);  // wait, answer, form, expect-message, host now
void registerHostStateCommands(CommandTable& table);  // expect-host, expect-selection, during-wait
void registerRefreshCommands(CommandTable& table);    // choose, header-change

// Every group's commands.
CommandTable buildCommandTable();

}  // namespace kavex::tool
