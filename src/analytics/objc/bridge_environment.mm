#import <Foundation/Foundation.h>

#include "analytics/objc/bridge_environment.hpp"

#include "analytics/linux_platform_facts_source.hpp"
#include "analytics/objc/runtime_values.h"
#include "analytics/signal_manager.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics/thread_main_queue.hpp"
#include "platform/file_user_defaults.hpp"

#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace clicktrove::analytics::objc {

namespace {

std::mutex environmentMutex;
std::optional<TelemetryEnvironment> chosen;

std::string bundleValue(NSString* key, const char* fallback) {
    id value = [[NSBundle mainBundle] objectForInfoDictionaryKey:key];
    if (![value isKindOfClass:[NSString class]]) return fallback;
    return stringValue(static_cast<NSString*>(value)).value_or(fallback);
}

TelemetryEnvironment production() {
    NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
    auto facts = std::make_shared<LinuxPlatformFactsSource>(bundleValue(@"CFBundleShortVersionString", "0"),
                                                            bundleValue(@"CFBundleVersion", "0"));
    [pool release];
    return TelemetryEnvironment::production(
        std::make_shared<ThreadMainQueue>(),
        [](const std::string& suiteName) { return platform::FileUserDefaults::suite(suiteName); }, facts);
}

void saveNow() {
    auto manager = TelemetryManager::shared();
    if (!manager) return;
    // The session statistics belong to the client's main queue; the save runs there too, while this thread
    // waits a little longer than the upload grace the save gives the batch in flight.
    struct Done {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    manager->environment().mainQueue->post([done] {
        Tallywire::applicationWillTerminate();
        std::lock_guard lock(done->mutex);
        done->done = true;
        done->cv.notify_all();
    });
    std::unique_lock lock(done->mutex);
    done->cv.wait_for(lock, SignalManager::terminationGrace + std::chrono::seconds(1), [&] { return done->done; });
}

}  // namespace

TelemetryEnvironment bridgeEnvironment() {
    std::lock_guard lock(environmentMutex);
    if (!chosen) chosen = production();
    return *chosen;
}

void setBridgeEnvironment(std::optional<TelemetryEnvironment> environment) {
    std::lock_guard lock(environmentMutex);
    chosen = std::move(environment);
}

void saveAtProcessExit() {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(&saveNow); });
}

}  // namespace clicktrove::analytics::objc
