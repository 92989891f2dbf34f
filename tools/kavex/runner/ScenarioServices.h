#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "services/Server.h"

namespace kavex::tool {

class ScenarioContext;

// What a script shares about the outside world: the embedded services (started on 127.0.0.1 with
// a free port on first use) and the add-in's database file. One per script:
//
//   ScenarioServices& services = scenarioServices(context);
//   config WEBSITE_URL = services.baseUrl();          // `addin load`
//   services.setDatabase(folder / "Kavex.mdb");       // `addin load`, for sql / expect-sql
//
// The services' clock follows the host's clock: simulated time in a simulated run (brought up to
// date after every command), the real clock otherwise.
class ScenarioServices {
  public:
    explicit ScenarioServices(ScenarioContext& context);
    ~ScenarioServices();
    ScenarioServices(ScenarioServices&&) noexcept;
    ScenarioServices& operator=(ScenarioServices&&) = delete;

    // Started on first use.
    services::Server& server();
    std::string baseUrl() { return server().baseUrl(); }
    bool started() const noexcept { return server_ != nullptr; }

    // The add-in's Kavex.mdb; empty until the add-in is loaded.
    void setDatabase(std::filesystem::path file) { database_ = std::move(file); }
    const std::filesystem::path& database() const noexcept { return database_; }

    // Copies the host's clock to the services (called after every command).
    void syncClock();

  private:
    std::unique_ptr<services::Server> server_;
    // The host's simulated time in milliseconds since 1970, or -1 for real time. The services read
    // it from their own threads, which must not touch the host's clock itself.
    std::shared_ptr<std::atomic<std::int64_t>> simulatedMillis_;
    std::filesystem::path database_;
};

ScenarioServices& scenarioServices(ScenarioContext& context);

}  // namespace kavex::tool
