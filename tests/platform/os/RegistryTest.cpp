#include "platform/os/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/os/MachineZone.h"
#include "platform/os/TimeZoneTable.h"
#include "platform/os/Windows.h"

namespace kavex::os {
namespace {

const std::string EasternKey = std::string(TimeZonesKey) + "\\Eastern Standard Time";

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { registry().reset(); }
    void TearDown() override {
        resetMachineTimeZone();
        registry().reset();
    }

    std::string queryString(HKEY key, const char* name) {
        char buffer[2048] = {};
        std::uint32_t size = sizeof buffer;
        std::uint32_t type = 0;
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &type,
                                   reinterpret_cast<std::uint8_t*>(buffer), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, REG_SZ);
        return buffer;
    }
};

TEST_F(RegistryTest, TheEasternZoneHasTheUsRules) {
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, EasternKey, 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_NE(key, 0u);
    std::uint8_t tzi[44] = {};
    std::uint32_t size = 44;
    std::uint32_t type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "TZI", nullptr, &type, tzi, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 44u);
    const auto record = decodeTzi(tzi, size);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Bias, 300);
    EXPECT_EQ(record->StandardBias, 0);
    EXPECT_EQ(record->DaylightBias, -60);
    // Daylight time from the second Sunday of March, 2:00, to the first Sunday of November, 2:00.
    EXPECT_EQ(record->DaylightDate, (SystemTime{0, 3, 0, 2, 2, 0, 0, 0}));
    EXPECT_EQ(record->StandardDate, (SystemTime{0, 11, 0, 1, 2, 0, 0, 0}));
    EXPECT_EQ(queryString(key, "Std"), "Eastern Standard Time");
    EXPECT_EQ(queryString(key, "Dlt"), "Eastern Daylight Time");
    EXPECT_EQ(queryString(key, "Display").rfind("(UTC-05:00) Eastern", 0), 0u);
    EXPECT_FALSE(queryString(key, "MapID").empty());
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(registry().openHandleCount(), 0u);
}

TEST_F(RegistryTest, ZonesWithoutDaylightTimeAndSouthernZonesAreWrittenFromTheirRules) {
    const auto tokyo = tziForZone("Asia/Tokyo");
    EXPECT_EQ(tokyo.Bias, -540);
    EXPECT_EQ(tokyo.DaylightBias, 0);
    EXPECT_EQ(tokyo.DaylightDate.wMonth, 0);

    // Sydney: daylight time from the first Sunday of October 2:00 standard time to the first
    // Sunday of April 3:00 daylight time.
    const auto sydney = tziForZone("Australia/Sydney");
    EXPECT_EQ(sydney.Bias, -600);
    EXPECT_EQ(sydney.DaylightBias, -60);
    EXPECT_EQ(sydney.DaylightDate, (SystemTime{0, 10, 0, 1, 2, 0, 0, 0}));
    EXPECT_EQ(sydney.StandardDate, (SystemTime{0, 4, 0, 1, 3, 0, 0, 0}));

    // Central Europe changes at 1:00 UTC on the last Sundays of March and October.
    const auto berlin = tziForZone("Europe/Berlin");
    EXPECT_EQ(berlin.DaylightDate, (SystemTime{0, 3, 0, 5, 2, 0, 0, 0}));
    EXPECT_EQ(berlin.StandardDate, (SystemTime{0, 10, 0, 5, 3, 0, 0, 0}));
}

TEST_F(RegistryTest, TheMachinesStandardNameFindsItsEntry) {
    setMachineTimeZone("Europe/Berlin");
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, TimeZoneInformationKey, 0, KEY_READ, &key),
              ERROR_SUCCESS);
    const std::string name = queryString(key, "StandardName");
    RegCloseKey(key);
    EXPECT_EQ(name, "W. Europe Standard Time");

    HKEY zone = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(TimeZonesKey) + "\\" + name, 0,
                            KEY_READ, &zone),
              ERROR_SUCCESS);
    EXPECT_EQ(queryString(zone, "Std"), name);
    RegCloseKey(zone);
}

TEST_F(RegistryTest, KeysEnumerateAlphabeticallyUntilNoMoreItems) {
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, TimeZonesKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    std::string previous;
    std::uint32_t index = 0;
    char name[2048];
    bool sawEastern = false;
    while (RegEnumKeyA(key, index, name, sizeof name) == ERROR_SUCCESS) {
        std::string lowered = name;
        for (char& c : lowered) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_LT(previous, lowered);
        previous = lowered;
        sawEastern = sawEastern || std::string(name) == "Eastern Standard Time";
        ++index;
    }
    EXPECT_GT(index, 100u);
    EXPECT_TRUE(sawEastern);
    EXPECT_EQ(RegEnumKeyA(key, index, name, sizeof name), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, TooSmallBuffersAnswerMoreDataAndWriteNothing) {
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, EasternKey, 0, KEY_READ, &key), ERROR_SUCCESS);

    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    std::uint32_t size = 10;  // "Eastern Standard Time" needs 22 with its NUL
    EXPECT_EQ(RegQueryValueExA(key, "Std", nullptr, nullptr,
                               reinterpret_cast<std::uint8_t*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 22u);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(16, 'x'));

    std::uint32_t needed = 0;
    EXPECT_EQ(RegQueryValueExA(key, "TZI", nullptr, nullptr, nullptr, &needed), ERROR_SUCCESS);
    EXPECT_EQ(needed, 44u);

    HKEY parent = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, TimeZonesKey, 0, KEY_READ, &parent), ERROR_SUCCESS);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(RegEnumKeyA(parent, 0, buffer, 2), ERROR_MORE_DATA);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(16, 'x'));
    RegCloseKey(parent);
    RegCloseKey(key);
}

TEST_F(RegistryTest, MissingKeysValuesAndHandlesAnswerTheirCodes) {
    HKEY key = 12345;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nothing\\Here", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\MICROSOFT", 0, KEY_READ, &key),
              ERROR_SUCCESS);  // names compare without regard to case
    std::uint32_t size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "NoSuchValue", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    HKEY child = 0;
    EXPECT_EQ(RegOpenKeyExA(key, "Windows NT\\CurrentVersion\\Time Zones", 0, KEY_READ, &child),
              ERROR_SUCCESS);  // relative to an open key
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    char name[64];
    EXPECT_EQ(RegEnumKeyA(key, 0, name, sizeof name), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(0x4242, "x", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(0x4242, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, TestsCanReplaceTheContentAndRefuseWriteAccess) {
    registry().clear();
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, TimeZonesKey, 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    registry().setString(HKEY_LOCAL_MACHINE, "Software\\Test", "Name", "value");
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Test", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(queryString(key, "name"), "value");
    RegCloseKey(key);

    registry().setRefuseWriteAccess(true);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Test", 0, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Test", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(WindowsTest, VersionIsNtOnlyForTheRightRecordSize) {
    OsVersionInfo info;
    EXPECT_EQ(GetVersionExA(&info), 0);
    info.dwOSVersionInfoSize = 148;
    EXPECT_NE(GetVersionExA(&info), 0);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
}

TEST(WindowsTest, ActivationIsRecorded) {
    resetWindows();
    EXPECT_EQ(activeWindow(), excelMainWindow());
    EXPECT_EQ(SetActiveWindow(77), excelMainWindow());
    EXPECT_EQ(SetActiveWindow(excelMainWindow()), 77u);
    EXPECT_EQ(activeWindowCalls(), (std::vector<HWND>{77, excelMainWindow()}));
}

}  // namespace
}  // namespace kavex::os
