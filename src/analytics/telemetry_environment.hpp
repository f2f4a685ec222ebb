#pragma once

#include "analytics/platform_facts.hpp"
#include "analytics/scheduler.hpp"
#include "analytics/transaction_update_source.hpp"
#include "platform/clock.hpp"
#include "platform/http_transport.hpp"
#include "platform/main_queue.hpp"
#include "platform/user_defaults.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace clicktrove::analytics {

// What the client needs of the process around it, handed in so tests can run every rule on fakes.
struct TelemetryEnvironment {
    std::shared_ptr<const platform::Clock> clock;
    // The application's main thread: signal processing starts there, in the order of sending.
    std::shared_ptr<platform::MainQueue> mainQueue;
    // Timers and deferred work.
    std::shared_ptr<Scheduler> scheduler;
    std::shared_ptr<platform::HttpTransport> transport;
    // Opens the user-defaults suite of the given name; nothing when the platform refuses it.
    std::function<std::shared_ptr<platform::UserDefaults>(const std::string& suiteName)> openDefaultsSuite;
    // The user's caches folder; the cache file lives in a folder of the suite's name below it.
    std::function<std::filesystem::path()> cachesFolder;
    // What the default parameters report; nothing leaves them at their fallbacks.
    std::shared_ptr<PlatformFactsSource> platformFacts;
    // The store's transaction updates, watched for the conversion of a free trial; nothing means no store.
    std::shared_ptr<TransactionUpdateSource> transactionUpdates;

    // The system clock, one scheduler thread, libcurl, the XDG caches folder and no store, around the app's main
    // queue, its way of opening a defaults suite and its platform facts (the Linux facts of this build when
    // none).
    static TelemetryEnvironment production(
        std::shared_ptr<platform::MainQueue> mainQueue,
        std::function<std::shared_ptr<platform::UserDefaults>(const std::string&)> openDefaultsSuite,
        std::shared_ptr<PlatformFactsSource> platformFacts = nullptr);
};

}  // namespace clicktrove::analytics
