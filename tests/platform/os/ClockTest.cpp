#include "platform/os/Clock.h"

#include <gtest/gtest.h>

#include "platform/os/MachineZone.h"
#include "tests/platform/os/CivilTime.h"

namespace kavex::os {
namespace {

using testing::civilMillis;

class ClockTest : public ::testing::Test {
  protected:
    void TearDown() override {
        machineClock().useRealTime();
        resetMachineTimeZone();
    }
};

base::Date civilDate(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return dateFromEpochMillis(civilMillis(y, mo, d, h, mi, s));
}

TEST_F(ClockTest, DatesAndEpochMillisAgree) {
    EXPECT_DOUBLE_EQ(dateFromEpochMillis(0).serial, 25569.0);
    EXPECT_DOUBLE_EQ(civilDate(1899, 12, 30).serial, 0.0);
    EXPECT_DOUBLE_EQ(civilDate(2007, 3, 10, 12).serial, 39151.5);
    EXPECT_EQ(epochMillisFromDate(civilDate(2024, 2, 29, 23, 59, 59)),
              civilMillis(2024, 2, 29, 23, 59, 59));
}

TEST_F(ClockTest, NowIsTheMachinesLocalTimeInWholeSeconds) {
    setMachineTimeZone("America/New_York");
    machineClock().startSimulationUtc(civilMillis(2024, 7, 1, 16, 0, 0) + 750);
    EXPECT_EQ(Now(), civilDate(2024, 7, 1, 12, 0, 0));  // daylight time, UTC-4
    EXPECT_EQ(NowUtc(), civilDate(2024, 7, 1, 16, 0, 0));

    setMachineTimeZone("Asia/Tokyo");
    EXPECT_EQ(Now(), civilDate(2024, 7, 2, 1, 0, 0));
}

TEST_F(ClockTest, SimulationStartsAtALocalTimeOfTheMachinesZone) {
    setMachineTimeZone("America/New_York");
    machineClock().startSimulation(civilDate(2007, 1, 15, 9, 30, 0));
    EXPECT_EQ(machineClock().epochMillis(), civilMillis(2007, 1, 15, 14, 30, 0));
    EXPECT_EQ(Now(), civilDate(2007, 1, 15, 9, 30, 0));
    // A skipped hour (2:30 on the spring change day) reads with the offset before the change.
    machineClock().startSimulation(civilDate(2024, 3, 10, 2, 30, 0));
    EXPECT_EQ(machineClock().epochMillis(), civilMillis(2024, 3, 10, 7, 30, 0));
}

TEST_F(ClockTest, SleepAdvancesSimulatedTimeOnly) {
    machineClock().startSimulationUtc(1000);
    Sleep(50);
    EXPECT_EQ(machineClock().epochMillis(), 1050);
    machineClock().advanceTo(500);  // never backwards
    EXPECT_EQ(machineClock().epochMillis(), 1050);
}

TEST_F(ClockTest, RealTimeIsTheSystemClock) {
    machineClock().useRealTime();
    EXPECT_FALSE(machineClock().isSimulated());
    EXPECT_GT(machineClock().epochMillis(), civilMillis(2020, 1, 1));
}

}  // namespace
}  // namespace kavex::os
