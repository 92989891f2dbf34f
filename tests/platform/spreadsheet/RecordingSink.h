#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet::testing {

// Writes each event down as one line ("SheetChange Sheet1!$A$1"), and can run a reaction.
class RecordingSink : public ApplicationEvents {
  public:
    std::vector<std::string> log;
    bool cancelRightClick = false;
    bool cancelClose = false;
    bool cancelSave = false;
    std::function<void(Worksheet, Range)> onChange;

    void sheetBeforeRightClick(Worksheet sheet, Range target, bool& cancel) override {
        log.push_back("SheetBeforeRightClick " + sheet.name() + "!" + target.address());
        cancel = cancelRightClick;
    }
    void sheetChange(Worksheet sheet, Range target) override {
        log.push_back("SheetChange " + sheet.name() + "!" + target.address());
        if (onChange) {
            onChange(sheet, target);
        }
    }
    void sheetDeactivate(Worksheet sheet) override {
        log.push_back("SheetDeactivate " + sheet.name());
    }
    void sheetFollowHyperlink(Worksheet sheet, Hyperlink link) override {
        log.push_back("SheetFollowHyperlink " + sheet.name() + " " + link.subAddress());
    }
    void workbookAddinInstall(Workbook wb) override {
        log.push_back("WorkbookAddinInstall " + wb.name());
    }
    void workbookAddinUninstall(Workbook wb) override {
        log.push_back("WorkbookAddinUninstall " + wb.name());
    }
    void workbookBeforeClose(Workbook wb, bool& cancel) override {
        log.push_back("WorkbookBeforeClose " + wb.name());
        cancel = cancelClose;
    }
    void workbookBeforeSave(Workbook wb, bool saveAsUi, bool& cancel) override {
        log.push_back("WorkbookBeforeSave " + wb.name() + (saveAsUi ? " ui" : ""));
        cancel = cancelSave;
    }
    void workbookDeactivate(Workbook wb) override {
        log.push_back("WorkbookDeactivate " + wb.name());
    }
    void sheetActivate(Worksheet sheet) override { log.push_back("SheetActivate " + sheet.name()); }
    void workbookActivate(Workbook wb) override { log.push_back("WorkbookActivate " + wb.name()); }
    void sheetSelectionChange(Worksheet sheet, Range target) override {
        log.push_back("SheetSelectionChange " + sheet.name() + "!" + target.address());
    }
    void workbookOpen(Workbook wb) override { log.push_back("WorkbookOpen " + wb.name()); }
};

}  // namespace kavex::sheet::testing
