#include "tools/kavex/runner/ScenarioServices.h"

#include "platform/os/Clock.h"
#include "tools/kavex/runner/ScenarioContext.h"

namespace kavex::tool {

ScenarioServices::ScenarioServices(ScenarioContext&)
    : simulatedMillis_(std::make_shared<std::atomic<std::int64_t>>(-1)) {}

ScenarioServices::~ScenarioServices() = default;
ScenarioServices::ScenarioServices(ScenarioServices&&) noexcept = default;

services::Server& ScenarioServices::server() {
    if (!server_) {
        auto server = std::make_unique<services::Server>();
        server->backend().setClock([millis = simulatedMillis_] {
            const std::int64_t simulated = millis->load();
            if (simulated < 0) {
                return std::chrono::system_clock::now();
            }
            return std::chrono::system_clock::time_point{std::chrono::milliseconds{simulated}};
        });
        server->start();
        server_ = std::move(server);
        syncClock();
    }
    return *server_;
}

void ScenarioServices::syncClock() {
    const os::Clock& clock = os::machineClock();
    simulatedMillis_->store(clock.isSimulated() ? clock.epochMillis() : -1);
}

ScenarioServices& scenarioServices(ScenarioContext& context) {
    return context.extension<ScenarioServices>();
}

}  // namespace kavex::tool
