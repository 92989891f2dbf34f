#include "platform/forms/DialogDriver.h"

#include "platform/forms/ScriptedDriver.h"

namespace kavex::forms {

namespace {
std::shared_ptr<ScriptedDriver>& scriptedInstance() {
    static auto instance = std::make_shared<ScriptedDriver>();
    return instance;
}

std::shared_ptr<DialogDriver>& currentDriver() {
    static std::shared_ptr<DialogDriver> driver = scriptedInstance();
    return driver;
}
}  // namespace

DialogDriver& dialogDriver() {
    return *currentDriver();
}

void setDialogDriver(std::shared_ptr<DialogDriver> driver) {
    currentDriver() = driver ? std::move(driver) : scriptedInstance();
}

ScriptedDriver& scriptedDriver() {
    return *scriptedInstance();
}

void useScriptedDriver() {
    currentDriver() = scriptedInstance();
}

}  // namespace kavex::forms
