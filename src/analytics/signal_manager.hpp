#pragma once

#include "analytics/signal_cache.hpp"
#include "analytics/telemetry_environment.hpp"
#include "analytics/telemetry_manager_configuration.hpp"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace clicktrove::analytics {

// Turns each signal into one body, keeps it in the cache and uploads the cache in batches of at most 100 on a
// one-shot timer whose interval doubles after each failed upload, up to a cap. The cache file follows every
// change of the queue, at most once per cacheWriteInterval.
class SignalManager : public std::enable_shared_from_this<SignalManager> {
public:
    struct Dependencies {
        std::shared_ptr<TelemetryManagerConfiguration> configuration;
        TelemetryEnvironment environment;
        // The client's defaults suite at the moment of asking (it keeps the user identifier); may give nothing.
        std::function<std::shared_ptr<platform::UserDefaults>()> defaultsSuite;
        // The default parameters of a signal; called on the main thread.
        std::function<std::map<std::string, std::string>()> defaultSignalParameters;
        std::filesystem::path cacheFile;
    };

    // Loads the cache file and makes the first upload attempt at once, then arms the send timer.
    static std::shared_ptr<SignalManager> create(Dependencies dependencies);
    ~SignalManager();

    // Queues one signal from any thread: processing starts on the main queue, in the order of calls, and ends
    // on the scheduler. The configuration is the copy the signal is processed against.
    void processSignal(std::string type, std::optional<double> floatValue, std::optional<std::string> customUserID,
                       std::map<std::string, std::string> parameters, ConfigurationSnapshot configuration);

    // The configured default user, else the one kept in the defaults suite, else a new one (kept when possible).
    std::string userIdentifier();
    // One upload attempt of the oldest cached signals.
    void sendBatch();
    // Writes everything not yet accepted (cached, still being processed, in flight) to the cache file, which
    // then no longer follows the queue. An upload in flight gets up to terminationGrace to finish first, so that
    // a batch the service accepts is not saved and sent a second time at the next start. Main thread.
    void appWillTerminate();

    static constexpr std::chrono::milliseconds terminationGrace{2000};
    // The cache file follows the queue at most this often, so a kill loses at most about this much.
    static constexpr std::chrono::milliseconds cacheWriteInterval{1000};

    std::size_t cachedSignalCount() const { return signalCache_->count(); }
    int consecutiveFailures() const { return consecutiveFailures_; }
    int sendCompletions() const { return sendCompletions_; }

    // The upload address for a configuration, or nothing when it is no usable http(s) address.
    static std::optional<std::string> signalEndpointURL(const ConfigurationSnapshot& configuration);
    // The wait before the next attempt after the given number of failures in a row.
    static double sendInterval(const ConfigurationSnapshot& configuration, int consecutiveFailures);

private:
    struct PendingSignal {
        std::string type;
        std::optional<double> floatValue;
        std::optional<std::string> customUserID;
        std::map<std::string, std::string> parameters;
        ConfigurationSnapshot configuration;
        // Filled on the main thread.
        bool prepared = false;
        std::string userIdentifier;
        std::map<std::string, std::string> defaultParameters;
    };

    explicit SignalManager(Dependencies dependencies);
    void start();
    void prepareOnMain(std::uint64_t id);
    void finishOnScheduler(std::uint64_t id);
    void prepare(PendingSignal& pending);
    SignalPostBody buildBody(const PendingSignal& pending) const;
    void armSendTimer();
    void postBatch(SignalCache::Batch batch, const ConfigurationSnapshot& configuration);
    void handleSendResult(std::uint64_t token, std::size_t batchSize, const platform::HttpResponse& response);
    void onSendSucceeded();
    void onSendFailed(std::uint64_t token);
    // The queue changed: the cache file follows once the write interval since the last write is over.
    void cacheChanged();
    void writeCache();

    const Dependencies deps_;
    std::unique_ptr<SignalCache> signalCache_;

    std::mutex pendingMutex_;
    std::map<std::uint64_t, PendingSignal> pending_;
    std::uint64_t nextPendingId_ = 1;

    std::mutex userMutex_;

    std::mutex cacheWriteMutex_;
    bool cacheWriteScheduled_ = false;
    std::optional<std::chrono::steady_clock::time_point> lastCacheWrite_;

    std::mutex timerMutex_;
    Scheduler::TaskId sendTimer_ = 0;
    std::atomic<int> consecutiveFailures_{0};
    std::atomic<int> sendCompletions_{0};
};

}  // namespace clicktrove::analytics
