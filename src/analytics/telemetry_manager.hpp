#pragma once

#include "analytics/duration_signal_tracker.hpp"
#include "analytics/session_manager.hpp"
#include "analytics/signal_manager.hpp"
#include "analytics/telemetry_environment.hpp"
#include "analytics/telemetry_manager_configuration.hpp"
#include "analytics/trial_conversion_tracker.hpp"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>

namespace clicktrove::analytics {

// One per initialisation: the configuration, the signal manager that queues and uploads, the client's defaults
// suite and the times used for immediate syncs and sessions.
class TelemetryManager : public std::enable_shared_from_this<TelemetryManager> {
public:
    // Creates the signal manager (which loads the cache file and starts the send timer) and schedules a new
    // session on the main queue 0.5 s later, which takes effect only while this manager is the installed one.
    static std::shared_ptr<TelemetryManager> create(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                                                    TelemetryEnvironment environment);
    ~TelemetryManager();

    // The installed manager, or nothing. Never creates one.
    static std::shared_ptr<TelemetryManager> shared();
    static bool isInstalled() { return shared() != nullptr; }

    // The facade's operations under the manager's name.
    static void initialize(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                           TelemetryEnvironment environment);
    static void terminate();
    static void send(const std::string& signalName, const std::map<std::string, std::string>& parameters = {});
    static void send(const std::string& signalName, std::optional<std::string> customUserID,
                     std::optional<double> floatValue, const std::map<std::string, std::string>& parameters = {});
    static void generateNewSession();
    static void updateDefaultUser(std::optional<std::string> user);
    static void requestImmediateSyncOfInstalled();
    // The installed manager's hashed user identifier; empty when none is installed.
    static std::string hashedUserIdentifierOfInstalled();
    // The installed manager's defaults suite, or nothing when none is installed or the platform refuses it.
    static std::shared_ptr<platform::UserDefaults> defaultsSuite();
    // "com.tallywire." and the last 12 hex digits of the SHA-256 of the application identifier.
    static std::string defaultsSuiteName(const std::string& telemetryAppID);

    std::shared_ptr<TelemetryManagerConfiguration> configuration() const;
    void setConfiguration(std::shared_ptr<TelemetryManagerConfiguration> configuration);
    SignalManager& signalManager() const { return *signalManager_; }
    const TelemetryEnvironment& environment() const { return environment_; }
    std::shared_ptr<platform::UserDefaults> suite();

    // Schedules an upload 50 ms later unless one was requested within the last transmitInterval seconds.
    void requestImmediateSync();
    void didEnterBackground();
    // Begins a new session when the app was away for more than 300 s.
    void willEnterForeground();
    // The hashed identity the uploads carry for this user.
    std::string hashedUserIdentifier();

    // The default parameters every signal of this manager carries. Main thread.
    std::map<std::string, std::string> defaultSignalParameters();
    // The steps of a new session identifier: the session statistics begin a session (when statistics is true),
    // then "Tallywire.Session.started" is sent (when announce is true). Any thread: both run on the main queue,
    // which owns the session statistics.
    void beginSession(bool statistics, bool announce);
    // The session statistics, created on first use. Main thread.
    SessionManager& sessionManager();
    // The session statistics when they exist already, else nothing. Main thread.
    SessionManager* existingSessionManager() const { return sessionManager_.get(); }
    // The running duration signals, created on first use. Any thread.
    DurationSignalTracker& durationSignalTracker();
    DurationSignalTracker* existingDurationSignalTracker() const;
    // The free-trial watch, created on first use (which resumes watching a stored trial). Any thread.
    TrialConversionTracker& trialConversionTracker();
    TrialConversionTracker* existingTrialConversionTracker() const;
    // Creates the free-trial watch when a trial of an earlier run is stored, so that its conversion is still
    // reported. Call once the manager is installed.
    void resumeTrialConversionWatch();

private:
    TelemetryManager(std::shared_ptr<TelemetryManagerConfiguration> configuration, TelemetryEnvironment environment);

    const TelemetryEnvironment environment_;
    mutable std::shared_mutex mutex_;
    std::shared_ptr<TelemetryManagerConfiguration> configuration_;
    std::optional<std::chrono::steady_clock::time_point> lastTimeImmediateSyncRequested_;
    std::optional<std::chrono::steady_clock::time_point> lastDateAppEnteredBackground_;
    std::map<std::string, std::shared_ptr<platform::UserDefaults>> suites_;
    std::shared_ptr<SignalManager> signalManager_;
    // Touched on the main thread only.
    std::shared_ptr<SessionManager> sessionManager_;
    std::unique_ptr<DurationSignalTracker> durationSignalTracker_;    // guarded by mutex_
    std::unique_ptr<TrialConversionTracker> trialConversionTracker_;  // guarded by mutex_
    // One tracker, made outside mutex_: its construction reads the suite, which takes mutex_ too, and may start
    // its watch, so a second one made in a race would watch the store as well.
    std::once_flag trialConversionTrackerMade_;
};

}  // namespace clicktrove::analytics
