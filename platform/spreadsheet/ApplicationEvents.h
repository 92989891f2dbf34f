#pragma once

#include "platform/spreadsheet/Hyperlinks.h"
#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::sheet {

// The application's events, one virtual per event, as the add-in's event sink receives them.
// They are raised for the user's actions and for code's writes, selections and activations alike,
// unless Application::enableEvents() is false. Where the host lets a handler cancel, the flag is
// passed by reference.
class ApplicationEvents {
  public:
    virtual ~ApplicationEvents() = default;

    virtual void sheetBeforeRightClick(Worksheet sheet, Range target, bool& cancel) = 0;
    virtual void sheetChange(Worksheet sheet, Range target) = 0;
    virtual void sheetDeactivate(Worksheet sheet) = 0;
    virtual void sheetFollowHyperlink(Worksheet sheet, Hyperlink link) = 0;
    virtual void workbookAddinInstall(Workbook workbook) = 0;
    virtual void workbookAddinUninstall(Workbook workbook) = 0;
    virtual void workbookBeforeClose(Workbook workbook, bool& cancel) = 0;
    virtual void workbookBeforeSave(Workbook workbook, bool saveAsUi, bool& cancel) = 0;
    virtual void workbookDeactivate(Workbook workbook) = 0;
    virtual void sheetActivate(Worksheet sheet) = 0;
    virtual void workbookActivate(Workbook workbook) = 0;
    virtual void sheetSelectionChange(Worksheet sheet, Range target) = 0;
    virtual void workbookOpen(Workbook workbook) = 0;
};

}  // namespace kavex::sheet
