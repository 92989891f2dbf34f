#pragma once

#include <memory>

#include "platform/spreadsheet/Application.h"

namespace kavex::addin::excelevents {

// The add-in's receiver of the host application's events. Creating it binds it to ExcelApp;
// destroying it unbinds it and drops the add-in's reference to the shared database connection
// (without closing the connection itself).
class clsXLApp {
  public:
    clsXLApp();
    ~clsXLApp();
    clsXLApp(const clsXLApp&) = delete;
    clsXLApp& operator=(const clsXLApp&) = delete;

    // The application the sink is bound to (null when ExcelApp was not set).
    sheet::Application* mXLApp() const { return mXLApp_; }

  private:
    void Class_Initialize();
    void Class_Terminate();

    sheet::Application* mXLApp_ = nullptr;
};

}  // namespace kavex::addin::excelevents
