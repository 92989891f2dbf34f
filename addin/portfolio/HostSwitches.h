#pragma once

#include "platform/spreadsheet/Application.h"

namespace kavex::addin::portfolio {

// Holds the host quiet while the portfolio writes a sheet: events off (its own writes are not
// the user's), calculation manual unless a cut or copy is pending, screen updating off. Leaving
// the scope, on every path, puts calculation back to automatic with InternalSheetUpdate set (so
// that the recalculation knows it is the add-in's), screen updating and events on.
class HostSwitches {
  public:
    explicit HostSwitches(sheet::Application& app);
    ~HostSwitches();
    HostSwitches(const HostSwitches&) = delete;
    HostSwitches& operator=(const HostSwitches&) = delete;

  private:
    sheet::Application& app_;
    bool calculationSwitched_ = false;
};

}  // namespace kavex::addin::portfolio
