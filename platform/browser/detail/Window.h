#pragma once

#include <string>

namespace kavex::browser::detail {

struct Window {
    int number = 0;
    bool open = true;
    bool visible = false;
    bool statusBar = true;
    bool menuBar = true;
    bool toolBar = true;
    bool resizable = true;
    int readyState = 0;
    std::string location;
};

}  // namespace kavex::browser::detail
