#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/spreadsheet/Application.h"

namespace kavex::addin::excelevents {

// The add-in's only receiver of the host application's events. Creating it binds it to ExcelApp,
// from when on all thirteen application events reach its handlers; destroying it unbinds it and
// drops the add-in's reference to the shared database connection (without closing the connection
// itself). The handlers keep no state of their own: what they share lives in the globals of the
// subsystems.
class clsXLApp {
  public:
    clsXLApp();
    ~clsXLApp();
    clsXLApp(const clsXLApp&) = delete;
    clsXLApp& operator=(const clsXLApp&) = delete;

    // The application the sink is bound to (null when ExcelApp was not set).
    sheet::Application* mXLApp() const { return mXLApp_; }

    // The application events, in the class's order.
    void mXLApp_SheetBeforeRightClick(const sheet::Worksheet& Sh, const sheet::Range& Target,
                                      bool& Cancel);
    void mXLApp_SheetChange(const sheet::Worksheet& Sh, const sheet::Range& Target);
    void mXLApp_SheetDeactivate(const sheet::Worksheet& Sh);
    void mXLApp_SheetFollowHyperlink(const sheet::Worksheet& Sh, const sheet::Hyperlink& Target);
    void mXLApp_WorkbookAddinInstall(const sheet::Workbook& Wb);
    void mXLApp_WorkbookAddinUninstall(const sheet::Workbook& Wb);
    void mXLApp_WorkbookBeforeClose(const sheet::Workbook& Wb, bool& Cancel);
    void mXLApp_WorkbookBeforeSave(const sheet::Workbook& Wb, bool SaveAsUI, bool& Cancel);
    void mXLApp_WorkbookDeactivate(const sheet::Workbook& Wb);
    void mXLApp_SheetActivate(const sheet::Worksheet& Sh);
    void mXLApp_WorkbookActivate(const sheet::Workbook& Wb);
    void mXLApp_SheetSelectionChange(const sheet::Worksheet& Sh, const sheet::Range& Target);
    void mXLApp_WorkbookOpen(const sheet::Workbook& Wb);

  private:
    class Receiver;

    void Class_Initialize();
    void Class_Terminate();

    // What each kind of in-document link does, by its sub-address.
    void ProcessHyperlink(const sheet::Worksheet& Sh, const sheet::Range& Target,
                          const std::string& SubAddress);
    // Fills the "Details" sheet with the symbol a link led to.
    void FillDetailsSheet(const std::string& symbol, const std::string& sheetKind,
                          const std::string& linkSheetName);

    // Remembers the selected Portfolio cell and loads the transaction of the row entered;
    // newRowTransactionID is the id read from the selected row (0 when none was read).
    void RememberPortfolioSelection(const sheet::Worksheet& Sh, const sheet::Range& Target,
                                    std::int32_t newRowTransactionID);

    sheet::Application* mXLApp_ = nullptr;
    std::shared_ptr<Receiver> receiver_;
};

}  // namespace kavex::addin::excelevents
