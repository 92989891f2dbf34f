#pragma once

#include <memory>
#include <vector>

#include "platform/browser/BrowserRecord.h"
#include "platform/browser/detail/Window.h"

namespace kavex::browser::detail {

// The process-wide record behind BrowserRecord.h. Single-threaded, as the host's UI thread.
struct Record {
    std::vector<OpenedAddress> opened;
    std::vector<std::shared_ptr<Window>> windows;
    int windowsCreated = 0;
};

Record& record();

}  // namespace kavex::browser::detail
