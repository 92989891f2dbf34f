#include "addin/refresh/TimerPool.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>

#include "addin/alerts/AlertSync.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/marketdata/DivSplit.h"
#include "addin/marketdata/QuoteFetch.h"
#include "addin/marketdata/SymbolListUpkeep.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/session/Session.h"
#include "addin/session/WebSession.h"
#include "platform/base/PlatformError.h"

namespace kavex::addin::refresh {

namespace {

constexpr std::string_view kOK = "OK";

std::string str(long value) {
    return std::to_string(value);
}

// The jobs by command code. Each returns the job's status word; description may be filled.
using Job = std::string (*)(TimerPoolEntry& entry, std::string& description);

// The symbol-list operations answer the empty text on success.
std::string okWhenEmpty(std::string status) {
    return status.empty() ? std::string(kOK) : status;
}

std::string newSymbols(TimerPoolEntry& entry, std::string& description) {
    return okWhenEmpty(
        marketdata::GetNewSymbols(session::UserSessionKey, entry.LastLoginDate, description));
}

std::string delistedSymbols(TimerPoolEntry& entry, std::string& description) {
    return okWhenEmpty(
        marketdata::GetDelistedSymbols(session::UserSessionKey, entry.LastLoginDate, description));
}

std::string changedSymbols(TimerPoolEntry& entry, std::string& description) {
    return okWhenEmpty(
        marketdata::GetChangedSymbols(session::UserSessionKey, entry.LastLoginDate, description));
}

std::string addSymbols(TimerPoolEntry& entry, std::string& description) {
    return marketdata::AddSymbols(session::UserSessionKey, entry.SymbolList, entry.ActionValue,
                                  entry.Arg4, description);
}

std::string refreshData(TimerPoolEntry& entry, std::string& description) {
    return session::RefreshData(session::UserSessionKey, entry.SheetName, entry.SymbolList,
                                entry.ActionValue, entry.Arg1, entry.Arg2, entry.Arg3, entry.Arg4,
                                description);
}

std::string userAction(TimerPoolEntry& entry, std::string&) {
    return session::AddUserAction(session::UserSessionKey, entry.ActionValue, entry.Arg1,
                                  entry.Arg2, entry.Arg3, entry.Arg4);
}

std::string divSplitAndAlerts(TimerPoolEntry&, std::string&) {
    std::string status =
        session::DivSplitProcessFlag == "1" ? marketdata::GetDivSPLData() : std::string(kOK);
    alerts::SyncAlerts();
    return status;
}

// Changed, then new, then delisted symbols; the first that fails ends the upkeep.
std::string symbolListUpkeep(TimerPoolEntry& entry, std::string& description) {
    std::string status =
        marketdata::GetChangedSymbols(session::UserSessionKey, entry.LastLoginDate, description);
    if (status.empty())
        status =
            marketdata::GetNewSymbols(session::UserSessionKey, entry.LastLoginDate, description);
    if (status.empty())
        status = marketdata::GetDelistedSymbols(session::UserSessionKey, entry.LastLoginDate,
                                                description);
    return okWhenEmpty(status);
}

struct CommandJob {
    short code;
    Job job;
};

constexpr std::array<CommandJob, 8> kJobs{{
    {kCommandNewSymbols, newSymbols},
    {kCommandDelistedSymbols, delistedSymbols},
    {kCommandAddSymbols, addSymbols},
    {kCommandRefreshData, refreshData},
    {kCommandUserAction, userAction},
    {kCommandChangedSymbols, changedSymbols},
    {kCommandDivSplitAndAlerts, divSplitAndAlerts},
    {kCommandSymbolListUpkeep, symbolListUpkeep},
}};

Job jobOf(short code) {
    const auto found = std::find_if(kJobs.begin(), kJobs.end(),
                                    [code](const CommandJob& entry) { return entry.code == code; });
    return found == kJobs.end() ? nullptr : found->job;
}

// The timer of pool entry i; error 91 while no timers exist.
os::Timer& poolTimer(short index) {
    if (!Timers)
        throw base::PlatformError(91, "Object variable or With block variable not set");
    return *Timers->DataFetcherPool(index);
}

}  // namespace

TimerPoolEntry& TimerPoolEntries::operator()(short index) {
    if (index < 1 || index > kSize)
        throw base::PlatformError(base::errors::SubscriptOutOfRange, "Subscript out of range");
    return entries_[static_cast<std::size_t>(index - 1)];
}

void InitializeTimerPool() {
    try {
        Timers = std::make_unique<clsTimer>();
        const auto create = [](TimerMember& member, long interval) {
            member = os::CreateTimerObject(os::Timer::ProgId);
            member->setEnabled(false);
            member->setInterval(interval);
        };
        create(Timers->tmrAutoRefresh, 1000);
        create(Timers->tmrSessionTimeOut, 60000);
        create(Timers->tmrDataFetcherPool1, 1000);
        create(Timers->tmrDataFetcherPool2, 1000);
        create(Timers->tmrDataFetcherPool3, 1000);
        create(Timers->tmrDataFetcherPool4, 1000);
        create(Timers->tmrDataFetcherPool5, 1000);
        for (short index = 1; index <= TimerPoolEntries::kSize; ++index)
            FreeTimerInPool(index);
        AutoRefreshTickCount = 0;
    } catch (const std::exception& error) {
        const core::TrappedError err = core::Trapped(error);
        core::WriteLog("InitTimersInPool", 1,
                       "Error : (" + str(err.number) + ") " + err.description);
    }
}

void DestroyTimerPool() {
    if (!Timers)
        return;
    Timers->tmrAutoRefresh.reset();
    Timers->tmrSessionTimeOut.reset();
    Timers->tmrDataFetcherPool1.reset();
    Timers->tmrDataFetcherPool2.reset();
    Timers->tmrDataFetcherPool3.reset();
    Timers->tmrDataFetcherPool4.reset();
    Timers->tmrDataFetcherPool5.reset();
    Timers.reset();
}

short BookNextTimerInPool() {
    try {
        for (short index = 1; index <= TimerPoolEntries::kSize; ++index) {
            if (TimerPool(index).Status == kEntryFree) {
                static std::uint64_t bookings = 0;
                TimerPool(index).Status = kEntryBooked;
                TimerPool(index).Booking = ++bookings;
                return index;
            }
        }
        return kPoolAllBusy;
    } catch (const std::exception& error) {
        const core::TrappedError err = core::Trapped(error);
        core::WriteLog(
            "BookNextTimerInPool", 1,
            "Exiting unsuccessfully with error : (" + str(err.number) + ") " + err.description);
        return 0;
    }
}

short EnableTimerInPool(short TimerIndexToBeEnabled) {
    const short index = TimerIndexToBeEnabled;
    try {
        if (index < 0 || index > TimerPoolEntries::kSize)
            return kPoolIndexOutOfRange;
        if (TimerPool(index).Status != kEntryBooked)
            return kPoolNotBooked;
        os::Timer& timer = poolTimer(index);
        if (timer.Enabled())
            return kPoolTimerAlreadyEnabled;
        timer.setInterval(1000);
        timer.setEnabled(true);
        return kPoolDone;
    } catch (const std::exception& error) {
        const core::TrappedError err = core::Trapped(error);
        core::WriteLog("EnableTimerInPool", 1,
                       "Exiting unsuccessfully with TimerIndexToBeEnabled :" + str(index) +
                           " and error : (" + str(err.number) + ") " + err.description);
        return 0;
    }
}

base::Variant FreeTimerInPool(short TimerPoolIndex) {
    const short index = TimerPoolIndex;
    try {
        core::WriteLog("FreeTimerInPool", 2, "Entering with TimerPoolIndex :" + str(index));
        if (index < 1 || index > TimerPoolEntries::kSize)
            return base::Variant(static_cast<int>(kPoolIndexOutOfRange));
        TimerPoolEntry& entry = TimerPool(index);
        entry.Status = kEntryFree;
        entry.CommandCode = 0;
        entry.SheetName.clear();
        entry.SymbolList = base::Variant();
        entry.ActionValue = 0;
        entry.Arg1.clear();
        entry.Arg2.clear();
        entry.Arg3.clear();
        entry.Arg4.clear();
        entry.LastLoginDate.clear();
        entry.Booking = 0;
        core::WriteLog("FreeTimerInPool", 2,
                       "Exiting successfully with TimerPoolIndex :" + str(index));
        return base::Variant(true);
    } catch (const std::exception& error) {
        const core::TrappedError err = core::Trapped(error);
        core::WriteLog("FreeTimerInPool", 1,
                       "Exiting unsuccessfully with TimerPoolIndex :" + str(index) +
                           " and error :(" + str(err.number) + ") " + err.description);
        return base::Variant();
    }
}

short FireDataFetchCommand(short FetchCommand, const std::string& SheetName,
                           const marketdata::SymbolList& SymbolList, short ActionValue,
                           const std::string& Arg1, const std::string& Arg2,
                           const std::string& Arg3, const std::string& Arg4) {
    try {
        core::WriteLog(
            "FireDataFetchCommand", 2,
            "Entering with FetchCommand :" + str(FetchCommand) + " and ActiveSheet :" + Arg2);
        const short index = BookNextTimerInPool();
        if (index == kPoolAllBusy) {
            core::WriteLog(
                "FireDataFetchCommand", 1,
                "Can not process command [" + str(FetchCommand) + "] as all timers are busy.");
            return kPoolAllBusy;
        }
        TimerPoolEntry& entry = TimerPool(index);
        entry.CommandCode = FetchCommand;
        switch (FetchCommand) {
            case kCommandNewSymbols:
            case kCommandDelistedSymbols:
            case kCommandChangedSymbols:
            case kCommandSymbolListUpkeep:
                entry.LastLoginDate = core::LastLoginDate;
                break;
            case kCommandAddSymbols:
                entry.ActionValue = ActionValue;
                entry.SymbolList = SymbolList;
                break;
            case kCommandRefreshData:
                entry.SheetName = SheetName;
                entry.SymbolList = SymbolList;
                entry.ActionValue = ActionValue;
                entry.Arg1 = Arg1;
                entry.Arg2 = Arg2;
                entry.Arg3 = Arg3;
                entry.Arg4 = Arg4;
                break;
            case kCommandUserAction:
                entry.ActionValue = ActionValue;
                entry.Arg1 = Arg1;
                entry.Arg2 = Arg2;
                entry.Arg3 = Arg3;
                entry.Arg4 = Arg4;
                break;
            default:
                break;
        }
        const short result = EnableTimerInPool(index) == 0 ? short{0} : index;
        core::WriteLog("FireDataFetchCommand", 2, "Timer Enabled: " + str(index));
        return result;
    } catch (const std::exception& error) {
        const core::TrappedError err = core::Trapped(error);
        core::WriteLog("FireDataFetchCommand", 1,
                       "Exiting with error :(" + str(err.number) + ") " + err.description);
        return 0;
    }
}

std::string ProcessTimerInPool(short TimerPoolIndex) {
    const short index = TimerPoolIndex;
    std::string status;
    try {
        core::WriteLog("ProcessTimerInPool", 2, "Entering with TimerPoolIndex : " + str(index));
        std::string description;
        TimerPool(index).Status = kEntryRunning;
        // The job works on its own copy: while it spins the message loop a logout and login may
        // free the entry and book it for another job with other arguments.
        TimerPoolEntry entry = TimerPool(index);
        // Off before the job starts: a job that spins the message loop must not run twice.
        poolTimer(index).setEnabled(false);
        if (const Job job = jobOf(entry.CommandCode))
            status = job(entry, description);
        if (status != kOK) {
            core::WriteLog("ProcessTimerInPool", 1,
                           "Error: DataFetcher Error on Timer Pool Index: " + str(index) +
                               " Error Code: " + status + " Description: " + description);
        }
        TimerPool(index).LastStatus = status;
        // A logout and login while the job waited set the pool up afresh, and the login may
        // already have booked this entry for a job of its own, which may be running now: that
        // job is not freed with this one.
        if (TimerPool(index).Booking == entry.Booking && TimerPool(index).Status == kEntryRunning)
            FreeTimerInPool(index);
        core::WriteLog("ProcessTimerInPool", 2,
                       "Exiting successfully with TimerPoolIndex: " + str(index));
        return status;
    } catch (const std::exception& error) {
        const core::TrappedError err = core::Trapped(error);
        core::WriteLog("ProcessTimerInPool", 1,
                       "Error: Timer Pool Index: " + str(index) + " Error Number: " +
                           str(err.number) + " Description: " + err.description);
        return {};
    }
}

void resetTimerPool() {
    DestroyTimerPool();
    TimerPool = TimerPoolEntries();
    IdleTickCount = 0;
    AutoRefreshTickCount = 0;
    ManualRefreshInProgress = false;
}

}  // namespace kavex::addin::refresh
