#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/browser/Browser.h"
#include "platform/browser/BrowserRecord.h"
#include "platform/browser/DesktopOpener.h"

namespace kavex::browser {
namespace {

class BrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBrowserRecord();
        setHandToDesktop(false);
        setDesktopOpener([this](const std::string& address) {
            handed.push_back(address);
            return true;
        });
    }
    void TearDown() override {
        setHandToDesktop(false);
        setDesktopOpener(nullptr);
        resetBrowserRecord();
    }

    std::vector<std::string> handed;
};

TEST_F(BrowserTest, NewWindowStartsHiddenWithItsBars) {
    Browser browser;
    EXPECT_TRUE(browser.answers());
    EXPECT_FALSE(browser.Visible());
    EXPECT_TRUE(browser.StatusBar());
    EXPECT_TRUE(browser.MenuBar());
    EXPECT_TRUE(browser.ToolBar());
    EXPECT_TRUE(browser.Resizable());
    EXPECT_EQ(browser.ReadyState(), 0);
    EXPECT_EQ(browser.LocationURL(), "");
    EXPECT_EQ(lastOpenedAddress(), "");
}

TEST_F(BrowserTest, RecordsEveryAddressAndTheWindowSettings) {
    Browser browser;
    browser.setStatusBar(false);
    browser.setMenuBar(false);
    browser.setToolBar(false);
    browser.setResizable(true);
    browser.Navigate("http://kavex.test/WI/AddinLink.jsp?Type=N&Symbol=MSFT");
    browser.setVisible(true);
    Browser second;
    second.Navigate("http://kavex.test/faq.jsp");

    ASSERT_EQ(openedAddresses().size(), 2u);
    EXPECT_EQ(openedAddresses()[0].window, browser.windowNumber());
    EXPECT_EQ(openedAddresses()[1].window, second.windowNumber());
    EXPECT_NE(browser.windowNumber(), second.windowNumber());
    EXPECT_EQ(lastOpenedAddress(), "http://kavex.test/faq.jsp");
    EXPECT_EQ(browser.LocationURL(), "http://kavex.test/WI/AddinLink.jsp?Type=N&Symbol=MSFT");
    EXPECT_EQ(browser.ReadyState(), 4);
    EXPECT_FALSE(browser.Busy());

    const auto windows = openBrowserWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_TRUE(windows[0].Visible());
    EXPECT_FALSE(windows[0].StatusBar());
    EXPECT_FALSE(windows[0].MenuBar());
    EXPECT_FALSE(windows[0].ToolBar());
    EXPECT_FALSE(windows[1].Visible());
    // Nothing reaches the desktop unless asked.
    EXPECT_TRUE(handed.empty());
    EXPECT_FALSE(openedAddresses()[0].handedToDesktop);
}

TEST_F(BrowserTest, ClosedWindowsStopAnswering) {
    Browser kept;
    Browser copy = kept;
    closeAllBrowserWindows();
    EXPECT_FALSE(kept.answers());
    EXPECT_FALSE(copy.answers());
    try {
        kept.Navigate("http://kavex.test/");
        ADD_FAILURE() << "a closed window took an address";
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), DisconnectedError);
    }
    EXPECT_THROW(kept.setVisible(true), base::PlatformError);
    EXPECT_TRUE(openedAddresses().empty());

    Browser other;
    other.Quit();
    EXPECT_FALSE(other.answers());
    EXPECT_THROW(other.Quit(), base::PlatformError);
    EXPECT_TRUE(openBrowserWindows().empty());
}

TEST_F(BrowserTest, HandsWebAddressesToTheDesktopOnlyWhenAsked) {
    setHandToDesktop(true);
    Browser browser;
    browser.Navigate("https://kavex.test/producttour.jsp?a=1&b=2");
    browser.Navigate("--help");
    browser.Navigate("file:///etc/passwd");
    browser.Navigate("http://kavex.test/x; rm -rf ~");
    EXPECT_EQ(handed, (std::vector<std::string>{"https://kavex.test/producttour.jsp?a=1&b=2"}));
    ASSERT_EQ(openedAddresses().size(), 4u);
    EXPECT_TRUE(openedAddresses()[0].handedToDesktop);
    EXPECT_FALSE(openedAddresses()[1].handedToDesktop);
    EXPECT_EQ(lastOpenedAddress(), "http://kavex.test/x; rm -rf ~");
}

TEST(WebAddress, OnlyPlainWebAddresses) {
    EXPECT_TRUE(isWebAddress("http://kavex.test"));
    EXPECT_TRUE(isWebAddress("HTTPS://kavex.test/a?b=c&d=%20"));
    EXPECT_FALSE(isWebAddress("http://"));
    EXPECT_FALSE(isWebAddress("http:///etc/passwd"));
    EXPECT_FALSE(isWebAddress("javascript:alert(1)"));
    EXPECT_FALSE(isWebAddress("-x http://kavex.test"));
    EXPECT_FALSE(isWebAddress("http://kavex.test/\nrm"));
    EXPECT_FALSE(isWebAddress(""));
}

TEST(DesktopOpener, StartsTheOpenerWithoutAShell) {
    // A stand-in opener on PATH proves the address arrives as one argument, unexpanded.
    const std::string dir = ::testing::TempDir() + "kavex-opener";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    const std::string out = dir + "/args";
    {
        FILE* script = std::fopen((dir + "/xdg-open").c_str(), "w");
        ASSERT_NE(script, nullptr);
        std::fprintf(script, "#!/bin/sh\nprintf '%%s|%%s\\n' \"$#\" \"$1\" > '%s'\n", out.c_str());
        std::fclose(script);
    }
    ASSERT_EQ(std::system(("chmod +x '" + dir + "/xdg-open'").c_str()), 0);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", (dir + ":" + savedPath).c_str(), 1);
    setDesktopOpener(nullptr);
    const std::string address = "http://kavex.test/a?b=$HOME&c=`id`";
    const bool started = openInDesktop(address);
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_TRUE(started);
    std::string line;
    for (int i = 0; i < 200 && line.empty(); ++i) {
        if (FILE* f = std::fopen(out.c_str(), "r")) {
            char buffer[256] = {};
            if (std::fgets(buffer, sizeof buffer, f)) {
                line = buffer;
            }
            std::fclose(f);
        }
        if (line.empty()) {
            usleep(10000);
        }
    }
    EXPECT_EQ(line, "1|" + address + "\n");
}

}  // namespace
}  // namespace kavex::browser
