#include "analytics/telemetry_environment.hpp"

#include "analytics/curl_http_transport.hpp"
#include "analytics/thread_scheduler.hpp"
#include "platform/xdg_paths.hpp"

namespace clicktrove::analytics {

TelemetryEnvironment TelemetryEnvironment::production(
    std::shared_ptr<platform::MainQueue> mainQueue,
    std::function<std::shared_ptr<platform::UserDefaults>(const std::string&)> openDefaultsSuite) {
    TelemetryEnvironment env;
    // The system clock is a process-wide object without state; the pointer does not own it.
    env.clock = std::shared_ptr<const platform::Clock>(&platform::SystemClock::instance(), [](const auto*) {});
    env.mainQueue = std::move(mainQueue);
    env.scheduler = std::make_shared<ThreadScheduler>();
    env.transport = std::make_shared<CurlHttpTransport>();
    env.openDefaultsSuite = std::move(openDefaultsSuite);
    env.cachesFolder = [] { return platform::xdg::cacheHome(); };
    return env;
}

}  // namespace clicktrove::analytics
