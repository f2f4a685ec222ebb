#include "crash/sentry_sdk.hpp"

#include "build_config.hpp"
#include "crash/sentry_runtime.hpp"
#include "platform/xdg_paths.hpp"

#include <memory>
#include <mutex>

namespace clicktrove::crash {

namespace {

std::mutex runtimeMutex;

// Lives until the end of the process; its destructor runs among the static ones, after main has returned.
std::unique_ptr<SentryRuntime>& runtime() {
    static std::unique_ptr<SentryRuntime> instance;
    return instance;
}

}  // namespace

void SentrySDK::start(const std::function<void(SentryOptions&)>& configureOptions) {
    std::lock_guard lock(runtimeMutex);
    if (runtime()) return;
    // Built whole rather than assigned field by field: GCC 12 at -O3 warns wrongly (-Wrestrict) on assigning a
    // one-character literal to a string.
    SentryOptions options{.dsn = {},
                          .debug = false,
                          .tracesSampleRate = std::nullopt,
                          .releaseName = "clicktrove@" CLICKTROVE_VERSION "+" CLICKTROVE_BUILD_NUMBER,
                          .dist = CLICKTROVE_BUILD_NUMBER,
                          .version = CLICKTROVE_VERSION,
                          .reportsDirectory = platform::xdg::stateHome() / "Clicktrove" / "crashes"};
    if (configureOptions) configureOptions(options);
    runtime() = std::make_unique<SentryRuntime>(std::move(options));
}

void SentrySDK::appStartFinished() {
    std::lock_guard lock(runtimeMutex);
    if (runtime()) runtime()->finishAppStart();
}

bool SentrySDK::flush(std::chrono::milliseconds timeout) {
    SentryRuntime* current = nullptr;
    {
        std::lock_guard lock(runtimeMutex);
        current = runtime().get();
    }
    return !current || current->flush(timeout);
}

}  // namespace clicktrove::crash
