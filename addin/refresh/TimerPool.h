#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "addin/marketdata/SymbolList.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/clsTimer.h"
#include "platform/base/Variant.h"

namespace kavex::addin::refresh {

// Status of a pool entry.
inline constexpr short kEntryFree = 0;
inline constexpr short kEntryBooked = 1;
inline constexpr short kEntryRunning = 2;

// Command codes of the fetch jobs.
inline constexpr short kCommandNewSymbols = 2;
inline constexpr short kCommandDelistedSymbols = 3;
inline constexpr short kCommandAddSymbols = 4;
inline constexpr short kCommandRefreshData = 5;
inline constexpr short kCommandUserAction = 6;
inline constexpr short kCommandChangedSymbols = 7;
inline constexpr short kCommandDivSplitAndAlerts = 8;
inline constexpr short kCommandSymbolListUpkeep = 9;

// The user-action types a kCommandUserAction job reports (its ActionValue); 0 reports nothing.
inline constexpr short kUserActionNone = 0;
inline constexpr short kUserActionSymbolSearch = 2;  // symbol search and watch-list dialogs
inline constexpr short kUserActionAddSymbols = 3;
inline constexpr short kUserActionSheetSwitch = 4;  // also the details link
inline constexpr short kUserActionSheetEdit = 6;
inline constexpr short kUserActionAutoUpdate = 7;  // switched on or off
inline constexpr short kUserActionRefreshInterval = 8;
inline constexpr short kUserActionAlert = 9;  // created, edited or deleted
inline constexpr short kUserActionPortfolioTransaction = 10;
inline constexpr short kUserActionScreenRefresh = 11;
inline constexpr short kUserActionPromotionButton = 12;

// Return codes of the pool operations.
inline constexpr short kPoolDone = -1;  // True
inline constexpr short kPoolAllBusy = -100;
inline constexpr short kPoolNotBooked = -101;
inline constexpr short kPoolTimerAlreadyEnabled = -102;
inline constexpr short kPoolIndexOutOfRange = -103;

// One queued fetch job.
struct TimerPoolEntry {
    short Status = kEntryFree;
    short CommandCode = 0;
    std::string SheetName;
    marketdata::SymbolList SymbolList;
    short ActionValue = 0;
    std::string Arg1;
    std::string Arg2;
    std::string Arg3;
    std::string Arg4;
    std::string LastLoginDate;
    // The status word of the last job run from this entry; kept when the entry is freed.
    std::string LastStatus;
    // Which booking the entry holds (0 while free): a job frees its entry only while the entry
    // still holds the job's own booking, never one that a later login made.
    std::uint64_t Booking = 0;
};

// The five job records, indexed 1 to 5 (entry n belongs to tmrDataFetcherPooln); another index
// raises error 9 (subscript out of range).
class TimerPoolEntries {
  public:
    static constexpr short kSize = 5;
    TimerPoolEntry& operator()(short index);

  private:
    std::array<TimerPoolEntry, kSize> entries_{};
};

inline TimerPoolEntries TimerPool;

// The one clsTimer instance; absent before the first login and after logout.
inline std::unique_ptr<clsTimer> Timers;

// Creates Timers with its seven timers switched off and frees the five job entries.
void InitializeTimerPool();
// Releases the timers and Timers, ignoring every error.
void DestroyTimerPool();

// Queues a job: the index of the booked entry, -100 when all five are busy, 0 on an unexpected
// failure (also when no timers exist between logout and login: the entry then stays booked).
// Callers with nothing for an argument pass an empty text, 0 or a Missing value.
short FireDataFetchCommand(short FetchCommand, const std::string& SheetName,
                           const marketdata::SymbolList& SymbolList, short ActionValue,
                           const std::string& Arg1, const std::string& Arg2,
                           const std::string& Arg3, const std::string& Arg4);

// The lowest free entry, booked; -100 when none is free.
short BookNextTimerInPool();
// Starts the timer of a booked entry: -1, or -101 / -102 / -103; 0 on an unexpected failure.
short EnableTimerInPool(short TimerIndexToBeEnabled);
// Clears the entry (not its LastStatus, not its timer): True, -103, or Empty on a failure.
base::Variant FreeTimerInPool(short TimerPoolIndex);
// Runs the entry's job and frees the entry; the job's status word ("OK" on success).
std::string ProcessTimerInPool(short TimerPoolIndex);

// Releases the timers and clears the pool, IdleTickCount and AutoRefreshTickCount (tests).
void resetTimerPool();

}  // namespace kavex::addin::refresh
