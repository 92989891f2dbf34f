#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kavex::browser {

namespace detail {
struct Window;
}

// The error a browser object raises once its window is gone (closed by the user or by Quit):
// the object no longer answers.
inline constexpr long DisconnectedError = -2147417848;

// One browser window, as the internet browser's automation object gives it: created hidden,
// with its status bar, menu bar and toolbar on and resizable. Navigate records the address in
// the process-wide record (BrowserRecord.h) and, when the command line asked for it, hands it to
// the desktop's opener. The page counts as loaded at once (ReadyState 4, not Busy).
// Copies are handles on the same window.
class Browser {
  public:
    // Opens a new window.
    Browser();

    void Navigate(const std::string& address);
    // The address shown, "" before the first Navigate.
    const std::string& LocationURL() const;
    // 4 (complete) once an address was opened, 0 before.
    int ReadyState() const;
    bool Busy() const;

    bool Visible() const;
    void setVisible(bool visible);
    bool StatusBar() const;
    void setStatusBar(bool on);
    bool MenuBar() const;
    void setMenuBar(bool on);
    bool ToolBar() const;
    void setToolBar(bool on);
    bool Resizable() const;
    void setResizable(bool on);

    // Closes the window; afterwards every member but answers() raises DisconnectedError.
    void Quit();

    // Not members of the host object: whether the window is still open, and its number in the
    // record (1 for the first window of the process or since the record was reset).
    bool answers() const;
    int windowNumber() const { return number_; }

  private:
    explicit Browser(std::shared_ptr<detail::Window> window);
    detail::Window& window() const;
    friend std::vector<Browser> openBrowserWindows();

    std::shared_ptr<detail::Window> window_;
    int number_ = 0;
};

}  // namespace kavex::browser
