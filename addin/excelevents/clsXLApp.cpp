#include "addin/excelevents/clsXLApp.h"

#include "addin/core/Globals.h"

namespace kavex::addin::excelevents {

// What the host calls: each event is handed to the sink's handler of that name. The host keeps
// the receiver alive while it raises an event, so a sink destroyed by a handler (a second
// connection) leaves a receiver that ignores what is still on its way.
class clsXLApp::Receiver : public sheet::ApplicationEvents {
  public:
    explicit Receiver(clsXLApp* sink) : sink_(sink) {}
    void detach() { sink_ = nullptr; }

    void sheetBeforeRightClick(sheet::Worksheet sheet, sheet::Range target, bool& cancel) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_SheetBeforeRightClick(sheet, target, cancel);
        }
    }
    void sheetChange(sheet::Worksheet sheet, sheet::Range target) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_SheetChange(sheet, target);
        }
    }
    void sheetDeactivate(sheet::Worksheet sheet) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_SheetDeactivate(sheet);
        }
    }
    void sheetFollowHyperlink(sheet::Worksheet sheet, sheet::Hyperlink link) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_SheetFollowHyperlink(sheet, link);
        }
    }
    void workbookAddinInstall(sheet::Workbook workbook) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookAddinInstall(workbook);
        }
    }
    void workbookAddinUninstall(sheet::Workbook workbook) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookAddinUninstall(workbook);
        }
    }
    void workbookBeforeClose(sheet::Workbook workbook, bool& cancel) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookBeforeClose(workbook, cancel);
        }
    }
    void workbookBeforeSave(sheet::Workbook workbook, bool saveAsUi, bool& cancel) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookBeforeSave(workbook, saveAsUi, cancel);
        }
    }
    void workbookDeactivate(sheet::Workbook workbook) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookDeactivate(workbook);
        }
    }
    void sheetActivate(sheet::Worksheet sheet) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_SheetActivate(sheet);
        }
    }
    void workbookActivate(sheet::Workbook workbook) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookActivate(workbook);
        }
    }
    void sheetSelectionChange(sheet::Worksheet sheet, sheet::Range target) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_SheetSelectionChange(sheet, target);
        }
    }
    void workbookOpen(sheet::Workbook workbook) override {
        if (sink_ != nullptr) {
            sink_->mXLApp_WorkbookOpen(workbook);
        }
    }

  private:
    clsXLApp* sink_;
};

clsXLApp::clsXLApp() {
    Class_Initialize();
}

clsXLApp::~clsXLApp() {
    Class_Terminate();
}

void clsXLApp::Class_Initialize() {
    mXLApp_ = core::ExcelApp;
    if (mXLApp_ != nullptr) {
        receiver_ = std::make_shared<Receiver>(this);
        mXLApp_->addEventSink(receiver_);
    }
}

void clsXLApp::Class_Terminate() {
    if (receiver_) {
        receiver_->detach();
        if (mXLApp_ != nullptr) {
            mXLApp_->removeEventSink(receiver_.get());
        }
        receiver_.reset();
    }
    mXLApp_ = nullptr;
    // The sink held the add-in's last use of the shared connection; the next user opens a new one.
    core::DBConnection.reset();
}

}  // namespace kavex::addin::excelevents
