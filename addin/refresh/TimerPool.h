#pragma once

#include <memory>
#include <string>

#include "addin/marketdata/SymbolList.h"
#include "addin/refresh/clsTimer.h"

namespace kavex::addin::refresh {

// The one instance; null before the first login and after logout.
inline std::unique_ptr<clsTimer> Timers;

// Creates Timers with its seven timers switched off and frees the five job entries.
void InitializeTimerPool();
// Releases the timers and Timers, ignoring every error.
void DestroyTimerPool();

// Queues a fetch job: the booked entry's index (1 to 5), -100 when all five are busy, 0 on an
// unexpected failure.
short FireDataFetchCommand(short FetchCommand, std::string SheetName,
                           marketdata::SymbolList SymbolList, short ActionValue, std::string Arg1,
                           std::string Arg2, std::string Arg3, std::string Arg4);

}  // namespace kavex::addin::refresh
