#include "addin/excelevents/clsXLApp.h"

#include "addin/core/Globals.h"

namespace kavex::addin::excelevents {

clsXLApp::clsXLApp() {
    Class_Initialize();
}

clsXLApp::~clsXLApp() {
    Class_Terminate();
}

void clsXLApp::Class_Initialize() {
    mXLApp_ = core::ExcelApp;
}

void clsXLApp::Class_Terminate() {
    mXLApp_ = nullptr;
    // The sink held the add-in's last use of the shared connection; the next user opens a new one.
    core::DBConnection.reset();
}

}  // namespace kavex::addin::excelevents
