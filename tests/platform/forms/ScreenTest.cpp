#include <gtest/gtest.h>

#include "platform/base/PlatformError.h"
#include "platform/forms/Screen.h"

namespace kavex::forms {
namespace {

TEST(ScreenTest, TheMousePointerTakesTheRuntimesValuesAndRefusesOthers) {
    Screen& s = screen();
    s.reset();
    EXPECT_EQ(s.MousePointer(), vbDefault);
    s.setMousePointer(vbHourglass);
    EXPECT_EQ(screen().MousePointer(), 11);  // one Screen for the whole program
    s.setMousePointer(vbCustom);
    EXPECT_EQ(s.MousePointer(), vbCustom);
    for (int bad : {-1, 16, 98, 100}) {
        try {
            s.setMousePointer(bad);
            FAIL() << "accepted pointer " << bad;
        } catch (const base::PlatformError& e) {
            EXPECT_EQ(e.number(), 380);
        }
        EXPECT_EQ(s.MousePointer(), vbCustom);
    }
    s.setMousePointer(vbDefault);
    EXPECT_EQ(s.MousePointer(), 0);
}

}  // namespace
}  // namespace kavex::forms
