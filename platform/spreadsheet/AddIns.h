#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/spreadsheet/Forward.h"

namespace kavex::sheet {

// An add-in known to the host: a workbook file that is loaded while it is installed.
class AddIn {
  public:
    AddIn(detail::AppState& app, std::size_t index) : app_(&app), index_(index) {}

    std::string name() const;      // the file name
    std::string fullName() const;  // the path as added
    std::string path() const;      // the folder
    bool installed() const;
    // Installing opens the add-in workbook and raises WorkbookAddinInstall; uninstalling raises
    // WorkbookAddinUninstall and closes it.
    void setInstalled(bool installed);

  private:
    detail::AppState* app_;
    std::size_t index_;
};

class AddIns {
  public:
    explicit AddIns(detail::AppState& app) : app_(&app) {}
    int count() const;
    AddIn item(int index) const;              // 1-based
    AddIn item(std::string_view name) const;  // by file name, without regard to case; 9 if absent
    // Makes the file known (not installed). 1004 when the file does not exist.
    AddIn add(const std::string& path);

  private:
    detail::AppState* app_;
};

}  // namespace kavex::sheet
