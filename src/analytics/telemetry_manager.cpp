#include "analytics/telemetry_manager.hpp"

#include "analytics/default_signal_payload.hpp"
#include "analytics/sha256.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager_storage.hpp"
#include "analytics/uuid.hpp"

#include <mutex>

namespace clicktrove::analytics {

std::shared_ptr<TelemetryManager> TelemetryManager::create(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                                                           TelemetryEnvironment environment) {
    std::shared_ptr<TelemetryManager> manager(new TelemetryManager(std::move(configuration), std::move(environment)));
    // The new session's identifier is in place at once, so the signals sent before its start (0.5 s later:
    // the launch signals) belong to the session that "Tallywire.Session.started" then announces.
    const std::string sessionID = randomUuidString();
    manager->configuration()->storeSessionID(sessionID);
    std::weak_ptr<TelemetryManager> weak = manager;
    // Scheduled without owning the manager, and acting only while it is the installed one: a manager that was
    // replaced (or never installed) must not start sessions or send signals of its own.
    manager->environment_.mainQueue->postAfter(std::chrono::milliseconds(500), [weak, sessionID] {
        auto self = weak.lock();
        if (!self || shared() != self) return;
        const auto config = self->configuration();
        // A session begun meanwhile (generateNewSession) has been announced already.
        if (config->sessionID() != sessionID) return;
        self->beginSession(config->sessionStatsEnabled(), config->sendNewSessionBeganSignal());
    });
    return manager;
}

TelemetryManager::TelemetryManager(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                                   TelemetryEnvironment environment)
    : environment_(std::move(environment)), configuration_(std::move(configuration)) {
    const std::string suiteName = defaultsSuiteName(configuration_->telemetryAppID());
    std::filesystem::path cacheFile;
    if (environment_.cachesFolder) {
        const auto folder = environment_.cachesFolder();
        if (!folder.empty()) cacheFile = folder / suiteName / "telemetrysignalcache";
    }
    SignalManager::Dependencies deps;
    deps.configuration = configuration_;
    deps.environment = environment_;
    deps.defaultsSuite = [] { return TelemetryManager::defaultsSuite(); };
    deps.defaultSignalParameters = [] {
        auto installed = TelemetryManager::shared();
        return installed ? installed->defaultSignalParameters() : std::map<std::string, std::string>{};
    };
    deps.cacheFile = cacheFile;
    signalManager_ = SignalManager::create(std::move(deps));
}

TelemetryManager::~TelemetryManager() = default;

std::shared_ptr<TelemetryManager> TelemetryManager::shared() {
    return TelemetryManagerStorage::instance().manager();
}

std::string TelemetryManager::defaultsSuiteName(const std::string& telemetryAppID) {
    const std::string hash = sha256Hex(telemetryAppID, "");
    return "com.tallywire." + hash.substr(hash.size() - 12);
}

std::shared_ptr<platform::UserDefaults> TelemetryManager::defaultsSuite() {
    auto installed = shared();
    return installed ? installed->suite() : nullptr;
}

std::shared_ptr<platform::UserDefaults> TelemetryManager::suite() {
    const std::string name = defaultsSuiteName(configuration()->telemetryAppID());
    std::unique_lock lock(mutex_);
    const auto it = suites_.find(name);
    if (it != suites_.end()) return it->second;
    auto opened = environment_.openDefaultsSuite ? environment_.openDefaultsSuite(name) : nullptr;
    suites_[name] = opened;
    return opened;
}

std::shared_ptr<TelemetryManagerConfiguration> TelemetryManager::configuration() const {
    std::shared_lock lock(mutex_);
    return configuration_;
}

void TelemetryManager::setConfiguration(std::shared_ptr<TelemetryManagerConfiguration> configuration) {
    std::unique_lock lock(mutex_);
    configuration_ = std::move(configuration);
}

void TelemetryManager::requestImmediateSync() {
    const auto config = configuration()->snapshot();
    const auto now = environment_.clock->monotonicNow();
    {
        std::unique_lock lock(mutex_);
        if (lastTimeImmediateSyncRequested_ &&
            !(now - *lastTimeImmediateSyncRequested_ > std::chrono::duration<double>(config.transmitInterval))) {
            return;
        }
        lastTimeImmediateSyncRequested_ = now;
    }
    std::weak_ptr<SignalManager> weak = signalManager_;
    environment_.scheduler->schedule(std::chrono::milliseconds(50), [weak] {
        if (auto signals = weak.lock()) signals->sendBatch();
    });
}

void TelemetryManager::didEnterBackground() {
    std::unique_lock lock(mutex_);
    lastDateAppEnteredBackground_ = environment_.clock->monotonicNow();
}

void TelemetryManager::willEnterForeground() {
    const auto now = environment_.clock->monotonicNow();
    {
        std::shared_lock lock(mutex_);
        if (!lastDateAppEnteredBackground_ || !(*lastDateAppEnteredBackground_ + std::chrono::seconds(300) < now)) {
            return;
        }
    }
    if (auto installed = shared()) installed->configuration()->setSessionID(randomUuidString());
}

std::string TelemetryManager::hashedUserIdentifier() {
    return sha256Hex(signalManager_->userIdentifier(), configuration()->salt());
}

std::map<std::string, std::string> TelemetryManager::defaultSignalParameters() {
    const PlatformFacts facts = environment_.platformFacts ? environment_.platformFacts->facts() : PlatformFacts{};
    // The statistics keys are reported whatever sessionStatsEnabled says: the switch only decides whether
    // sessions are started and counted, so with it off they report the history as it stands.
    return DefaultSignalPayload::parameters(facts, environment_.clock->now(), &sessionManager());
}

void TelemetryManager::beginSession(bool statistics, bool announce) {
    if (!statistics && !announce) return;
    std::weak_ptr<TelemetryManager> weak = weak_from_this();
    environment_.mainQueue->post([weak, statistics, announce] {
        auto self = weak.lock();
        if (!self) return;
        if (statistics) self->sessionManager().startNewSession();
        if (announce) Tallywire::sendInternalSignal("Tallywire.Session.started");
    });
}

SessionManager& TelemetryManager::sessionManager() {
    if (!sessionManager_) {
        std::weak_ptr<TelemetryManager> weak = weak_from_this();
        sessionManager_ = SessionManager::create(
            environment_,
            [weak]() -> std::shared_ptr<platform::UserDefaults> {
                // The suite of the installed manager, as every other reader of the suite uses it.
                return weak.lock() ? TelemetryManager::defaultsSuite() : nullptr;
            },
            [](const std::string& name, const std::map<std::string, std::string>& parameters) {
                Tallywire::sendInternalSignal(name, parameters);
            });
    }
    return *sessionManager_;
}

DurationSignalTracker& TelemetryManager::durationSignalTracker() {
    std::unique_lock lock(mutex_);
    if (!durationSignalTracker_) durationSignalTracker_ = std::make_unique<DurationSignalTracker>(environment_.clock);
    return *durationSignalTracker_;
}

DurationSignalTracker* TelemetryManager::existingDurationSignalTracker() const {
    std::shared_lock lock(mutex_);
    return durationSignalTracker_.get();
}

TrialConversionTracker& TelemetryManager::trialConversionTracker() {
    std::call_once(trialConversionTrackerMade_, [this] {
        std::weak_ptr<TelemetryManager> weak = weak_from_this();
        auto made = std::make_unique<TrialConversionTracker>(
            environment_.scheduler, environment_.transactionUpdates, environment_.clock,
            [weak]() -> std::shared_ptr<platform::UserDefaults> {
                return weak.lock() ? TelemetryManager::defaultsSuite() : nullptr;
            },
            [](const std::string& name, const std::map<std::string, std::string>& parameters,
               std::optional<double> floatValue) { Tallywire::sendInternalSignal(name, parameters, floatValue); });
        std::unique_lock lock(mutex_);
        trialConversionTracker_ = std::move(made);
    });
    return *existingTrialConversionTracker();
}

TrialConversionTracker* TelemetryManager::existingTrialConversionTracker() const {
    std::shared_lock lock(mutex_);
    return trialConversionTracker_.get();
}

void TelemetryManager::resumeTrialConversionWatch() {
    const auto stored = suite();
    if (stored && stored->value(TrialConversionTracker::storedTrialKey)) trialConversionTracker();
}

void TelemetryManager::initialize(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                                  TelemetryEnvironment environment) {
    Tallywire::initialize(std::move(configuration), std::move(environment));
}

void TelemetryManager::terminate() {
    Tallywire::terminate();
}

void TelemetryManager::send(const std::string& signalName, const std::map<std::string, std::string>& parameters) {
    Tallywire::signal(signalName, parameters);
}

void TelemetryManager::send(const std::string& signalName, std::optional<std::string> customUserID,
                            std::optional<double> floatValue, const std::map<std::string, std::string>& parameters) {
    Tallywire::signal(signalName, parameters, floatValue, std::move(customUserID));
}

void TelemetryManager::generateNewSession() {
    Tallywire::generateNewSession();
}

void TelemetryManager::updateDefaultUser(std::optional<std::string> user) {
    Tallywire::updateDefaultUser(std::move(user));
}

void TelemetryManager::requestImmediateSyncOfInstalled() {
    Tallywire::requestImmediateSync();
}

std::string TelemetryManager::hashedUserIdentifierOfInstalled() {
    auto manager = shared();
    return manager ? manager->hashedUserIdentifier() : std::string();
}

}  // namespace clicktrove::analytics
