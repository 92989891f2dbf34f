#include "addin/refresh/MarketHours.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/Format.h"
#include "platform/os/Clock.h"
#include "platform/os/MachineZone.h"
#include "platform/os/Registry.h"
#include "platform/os/TimeZoneTable.h"

namespace kavex::addin::refresh {
namespace {

using os::HKEY_LOCAL_MACHINE;
using os::registry;

base::Date at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *base::makeDate(year, month, day, hour, minute, second);
}

std::string zoneKey(const std::string& name) {
    return std::string(os::TimeZonesKey) + "\\" + name;
}

class MarketHoursTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registry().reset();
        resetMarketHours();
    }
    void TearDown() override {
        os::resetMachineTimeZone();
        os::machineClock().useRealTime();
        registry().reset();
        resetMarketHours();
    }

    // The machine in a zone, its clock at a local time of that zone.
    void machineAt(const std::string& zone, base::Date local) {
        os::setMachineTimeZone(zone);
        os::machineClock().startSimulation(local);
    }

    const TimeZoneEntry& entry(const std::string& std) {
        EXPECT_TRUE(LoadTimeZoneTable(std::string(os::TimeZonesKey)));
        for (const auto& zone : TimeZoneTable) {
            if (zone.Std == std) {
                return zone;
            }
        }
        ADD_FAILURE() << "no zone " << std;
        static const TimeZoneEntry none;
        return none;
    }

    void addZone(const std::string& name, const os::TziRecord& tzi) {
        registry().setValue(HKEY_LOCAL_MACHINE, zoneKey(name), "TZI",
                            {os::REG_BINARY, os::encodeTzi(tzi)});
        registry().setString(HKEY_LOCAL_MACHINE, zoneKey(name), "Std", name);
    }

    std::string message = "not set";
};

TEST_F(MarketHoursTest, AWeekendInEasternTimeIsClosedWhateverTheLocalWeekday) {
    // Monday 02:00 in Tokyo, 14 hours ahead of Eastern standard time, is Sunday noon in New York.
    machineAt("Asia/Tokyo", at(2024, 1, 15, 2, 0, 0));
    EXPECT_FALSE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Not a weekday [January 14, 2024 12:00:00 EST].");
}

TEST_F(MarketHoursTest, TheHoursAreEightToTheEndOfSeventeenByTheHourAlone) {
    const auto check = [&](int hour, int minute, int second) {
        machineAt("America/New_York", at(2024, 7, 10, hour, minute, second));
        return IsWithinMarketTime(message);
    };
    EXPECT_FALSE(check(7, 59, 59));
    // " EST" is written in daylight time too.
    EXPECT_EQ(message, "Not within 8 AM to 5 PM [July 10, 2024 07:59:59 EST].");
    EXPECT_TRUE(check(8, 0, 0));
    EXPECT_EQ(message, "");
    EXPECT_TRUE(check(17, 30, 0));
    EXPECT_TRUE(check(17, 59, 59));
    EXPECT_EQ(message, "");
    EXPECT_FALSE(check(18, 0, 0));
    EXPECT_EQ(message, "Not within 8 AM to 5 PM [July 10, 2024 18:00:00 EST].");
}

TEST_F(MarketHoursTest, AMachineInAnotherZoneIsConvertedThroughUtc) {
    // 15:30 in Berlin (summer, UTC+2) is 09:30 in New York (UTC-4).
    machineAt("Europe/Berlin", at(2024, 7, 10, 15, 30, 0));
    EXPECT_TRUE(IsWithinMarketTime(message));
    machineAt("Europe/Berlin", at(2024, 7, 10, 13, 59, 59));
    EXPECT_FALSE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Not within 8 AM to 5 PM [July 10, 2024 07:59:59 EST].");
}

TEST_F(MarketHoursTest, AMachineInTheEasternZoneConvertsThereAndBack) {
    const TimeZoneEntry eastern = entry("Eastern Standard Time");
    for (const base::Date t :
         {at(2024, 1, 15, 9, 0, 0), at(2024, 7, 4, 23, 59, 59), at(2024, 3, 10, 3, 30, 0),
          at(2024, 11, 3, 2, 30, 0), at(2024, 12, 31, 23, 0, 0)}) {
        EXPECT_EQ(ConvertUTCToZoneTime(ConvertZoneTimeToUTC(t, eastern), eastern), t)
            << base::formatDate(t, "yyyy-mm-dd hh:nn:ss");
    }
}

TEST_F(MarketHoursTest, OnTheChangeDaysTheDaylightCandidateIsTestedAgainstTheRule) {
    const TimeZoneEntry eastern = entry("Eastern Standard Time");
    ASSERT_EQ(eastern.Bias, 300);
    ASSERT_EQ(eastern.DaylightBias, -60);
    EXPECT_EQ(ConvertUTCToZoneTime(at(2024, 3, 10, 6, 0, 0), eastern), at(2024, 3, 10, 1, 0, 0));
    EXPECT_EQ(ConvertUTCToZoneTime(at(2024, 3, 10, 6, 1, 0), eastern), at(2024, 3, 10, 2, 1, 0));
    EXPECT_EQ(ConvertUTCToZoneTime(at(2024, 11, 3, 5, 30, 0), eastern), at(2024, 11, 3, 1, 30, 0));
    EXPECT_EQ(ConvertUTCToZoneTime(at(2024, 11, 3, 6, 0, 0), eastern), at(2024, 11, 3, 1, 0, 0));
}

TEST_F(MarketHoursTest, TheChangeInstantsThemselvesAreStandardTime) {
    const TimeZoneEntry eastern = entry("Eastern Standard Time");
    EXPECT_FALSE(IsDaylightTime(at(2024, 3, 10, 2, 0, 0), eastern));
    EXPECT_TRUE(IsDaylightTime(at(2024, 3, 10, 2, 0, 1), eastern));
    EXPECT_TRUE(IsDaylightTime(at(2024, 11, 3, 1, 59, 59), eastern));
    EXPECT_FALSE(IsDaylightTime(at(2024, 11, 3, 2, 0, 0), eastern));
}

TEST_F(MarketHoursTest, SouthernZonesAreInDaylightTimeAcrossTheTurnOfTheYear) {
    const TimeZoneEntry sydney = entry("AUS Eastern Standard Time");
    EXPECT_TRUE(IsDaylightTime(at(2024, 1, 16, 12, 0, 0), sydney));
    EXPECT_TRUE(IsDaylightTime(at(2024, 12, 16, 12, 0, 0), sydney));
    EXPECT_FALSE(IsDaylightTime(at(2024, 7, 16, 12, 0, 0), sydney));

    // Tuesday 01:30 in Sydney (UTC+11) is Monday 09:30 in New York (UTC-5).
    machineAt("Australia/Sydney", at(2024, 1, 16, 1, 30, 0));
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "");
    machineAt("Australia/Sydney", at(2024, 1, 16, 10, 30, 0));
    EXPECT_FALSE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Not within 8 AM to 5 PM [January 15, 2024 18:30:00 EST].");
}

TEST_F(MarketHoursTest, AZoneWithoutDaylightTimeUsesItsBiasAlone) {
    // A stored DaylightBias does not count when the zone has no daylight rule.
    addZone("Test Standard Time", {-540, 0, -60, {}, {}});
    registry().setString(HKEY_LOCAL_MACHINE, os::TimeZoneInformationKey, "StandardName",
                         "test standard time");
    os::machineClock().startSimulationUtc(0);
    const TimeZoneEntry zone = entry("Test Standard Time");
    EXPECT_FALSE(IsDaylightTime(at(2024, 7, 1, 12, 0, 0), zone));
    EXPECT_EQ(ConvertZoneTimeToUTC(at(2024, 7, 1, 12, 0, 0), zone), at(2024, 7, 1, 3, 0, 0));
}

TEST_F(MarketHoursTest, AFixedDateRuleRecursEveryYear) {
    os::TziRecord tzi{-60, 0, -60, {}, {}};
    tzi.DaylightDate = {2000, 3, 0, 21, 0, 0, 0, 0};
    tzi.StandardDate = {2000, 9, 0, 22, 0, 0, 0, 0};
    addZone("Fixed Standard Time", tzi);
    const TimeZoneEntry zone = entry("Fixed Standard Time");
    EXPECT_TRUE(IsDaylightTime(at(2031, 6, 1), zone));
    EXPECT_FALSE(IsDaylightTime(at(2031, 3, 20, 23, 59, 59), zone));
}

TEST_F(MarketHoursTest, TheMachineZoneIsMatchedByItsStdNameWithoutRegardToCase) {
    machineAt("America/Chicago", at(2024, 7, 10, 7, 0, 0));  // 08:00 in New York
    registry().setString(HKEY_LOCAL_MACHINE, os::TimeZoneInformationKey, "StandardName",
                         "  CENTRAL STANDARD TIME  ");
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "");
}

TEST_F(MarketHoursTest, ALaterZoneWithTheSameStdNameReplacesAnEarlierOne) {
    // Enumerated after the real Eastern zone: a zone named the same, at UTC all year.
    registry().setValue(HKEY_LOCAL_MACHINE, zoneKey("ZZZ Eastern"), "TZI",
                        {os::REG_BINARY, os::encodeTzi({0, 0, -60, {}, {}})});
    registry().setString(HKEY_LOCAL_MACHINE, zoneKey("ZZZ Eastern"), "Std",
                         "EASTERN STANDARD TIME");
    // 21:30 in Berlin (UTC+2) is 15:30 in New York but 19:30 in the later zone.
    machineAt("Europe/Berlin", at(2024, 7, 10, 21, 30, 0));
    EXPECT_FALSE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Not within 8 AM to 5 PM [July 10, 2024 19:30:00 EST].");
}

TEST_F(MarketHoursTest, AMissingTableIsAnsweredTrueWithAMessage) {
    machineAt("America/New_York", at(2024, 7, 13, 3, 0, 0));  // a Saturday night
    const std::string expected =
        "Unable to locate Time Zones information in Registry under the key: Software\\Microsoft\\"
        "Windows NT\\CurrentVersion\\Time Zones";
    registry().setRefuseWriteAccess(true);  // the table is opened asking for all access
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, expected);
    registry().setRefuseWriteAccess(false);
    registry().deleteKey(HKEY_LOCAL_MACHINE, os::TimeZonesKey);
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, expected);
    EXPECT_EQ(registry().openHandleCount(), 0u);
}

TEST_F(MarketHoursTest, AMissingZoneIsAnsweredTrueWithAMessage) {
    machineAt("America/New_York", at(2024, 7, 13, 3, 0, 0));  // a Saturday night
    registry().setString(HKEY_LOCAL_MACHINE, os::TimeZoneInformationKey, "StandardName",
                         "Nowhere Standard Time");
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Entry for [Nowhere Standard Time] not found in TimeZones collection.");

    registry().deleteValue(HKEY_LOCAL_MACHINE, os::TimeZoneInformationKey, "StandardName");
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Entry for [] not found in TimeZones collection.");

    os::setMachineTimeZone("America/New_York");
    registry().deleteKey(HKEY_LOCAL_MACHINE, zoneKey("Eastern Standard Time"));
    EXPECT_TRUE(IsWithinMarketTime(message));
    EXPECT_EQ(message, "Entry for [Eastern Standard Time] not found in TimeZones collection.");
}

TEST_F(MarketHoursTest, TheTableIsRebuiltOnEveryCallInEnumerationOrder) {
    machineAt("America/New_York", at(2024, 7, 10, 9, 0, 0));
    IsWithinMarketTime(message);
    const std::size_t size = TimeZoneTable.size();
    EXPECT_GT(size, 100u);
    IsWithinMarketTime(message);
    EXPECT_EQ(TimeZoneTable.size(), size);
    for (std::size_t i = 1; i < size; ++i) {
        std::string a = TimeZoneTable[i - 1].Std, b = TimeZoneTable[i].Std;
        for (auto* s : {&a, &b}) {
            for (char& c : *s) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
        }
        EXPECT_LT(a, b);
    }
    EXPECT_EQ(registry().openHandleCount(), 0u);
}

TEST_F(MarketHoursTest, ZoneKeysWithoutValuesGiveEmptyEntriesInTheirPlace) {
    registry().createKey(HKEY_LOCAL_MACHINE, zoneKey("AAA Empty"));
    ASSERT_TRUE(LoadTimeZoneTable(std::string(os::TimeZonesKey)));
    const TimeZoneEntry& first = TimeZoneTable.front();
    EXPECT_EQ(first.Bias, 0);
    EXPECT_EQ(first.Std, "");
    EXPECT_EQ(first.DaylightDate.wMonth, 0);
}

TEST_F(MarketHoursTest, TheNthWeekdayOfAMonth) {
    EXPECT_EQ(GetNthWeekdayDate(2024, 3, 0, 2), at(2024, 3, 10));
    EXPECT_EQ(GetNthWeekdayDate(2024, 11, 0, 1), at(2024, 11, 3));
    // Four Sundays in February 2023: the fifth is the fourth.
    EXPECT_EQ(GetNthWeekdayDate(2023, 2, 0, 5), at(2023, 2, 26));
    EXPECT_EQ(GetNthWeekdayDate(2024, 3, 0, 5), at(2024, 3, 31));
    EXPECT_EQ(GetNthWeekdayDate(2024, 12, 2, 5), at(2024, 12, 31));
}

TEST_F(MarketHoursTest, TrimAtNullAndTheSystemFamily) {
    EXPECT_EQ(TrimAtNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(TrimAtNull("abc"), "abc");
    EXPECT_TRUE(IsWindowsNT());
}

}  // namespace
}  // namespace kavex::addin::refresh
