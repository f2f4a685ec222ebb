#include "analytics/telemetry_environment.hpp"

#include "analytics/linux_platform_facts_source.hpp"
#include "analytics/thread_scheduler.hpp"
#include "build_config.hpp"
#include "platform/curl_http_transport.hpp"
#include "platform/xdg_paths.hpp"

namespace clicktrove::analytics {

TelemetryEnvironment TelemetryEnvironment::production(
    std::shared_ptr<platform::MainQueue> mainQueue,
    std::function<std::shared_ptr<platform::UserDefaults>(const std::string&)> openDefaultsSuite,
    std::shared_ptr<PlatformFactsSource> platformFacts) {
    TelemetryEnvironment env;
    // The system clock is a process-wide object without state; the pointer does not own it.
    env.clock = std::shared_ptr<const platform::Clock>(&platform::SystemClock::instance(), [](const auto*) {});
    env.mainQueue = std::move(mainQueue);
    env.scheduler = std::make_shared<ThreadScheduler>();
    env.transport = std::make_shared<platform::CurlHttpTransport>();
    env.openDefaultsSuite = std::move(openDefaultsSuite);
    env.cachesFolder = [] { return platform::xdg::cacheHome(); };
    env.transactionUpdates = std::make_shared<NoStoreTransactionUpdateSource>();
    env.platformFacts = platformFacts
                            ? std::move(platformFacts)
                            : std::make_shared<LinuxPlatformFactsSource>(CLICKTROVE_VERSION, CLICKTROVE_BUILD_NUMBER);
    return env;
}

}  // namespace clicktrove::analytics
