#include "session/auto_clicker_view_model.hpp"

#include "engine/click_engine.hpp"
#include "engine/model_json.hpp"
#include "engine/permission_manager.hpp"
#include "platform/clock.hpp"
#include "platform/log_sink.hpp"
#include "platform/secure_random.hpp"
#include "services/analytics_manager.hpp"
#include "services/coordinate_recorder.hpp"
#include "services/history_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"
#include "services/storage_manager.hpp"
#include "session/macro_controller.hpp"
#include "session/run_controller.hpp"

#include <QPointer>
#include <algorithm>

namespace clicktrove {

namespace {

std::unique_ptr<ClickEngine> makeEngine(const ViewModelServices& s) {
    if (!s.engineQueue) return std::make_unique<ClickEngine>(*s.mouseInput, *s.mainQueue);
    platform::RandomSource& random = s.random ? *s.random : platform::SecureRandom::instance();
    return std::make_unique<ClickEngine>(*s.mouseInput, *s.mainQueue, *s.engineQueue, *s.clock, random);
}

}  // namespace

AutoClickerViewModel::AutoClickerViewModel(ViewModelServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      config_(services_.clock->now()),
      status_(QStringLiteral("Stopped")),
      cpsHistory_(kChartSamples, 0.0) {
    // Whether a check hangs is judged on the system clock, not the program's: the check runs on a thread of its
    // own, which a test's clock does not drive, and minutes of a test's time pass in a moment.
    permissionManager_ =
        std::make_unique<PermissionManager>(services_.inputPermission, *services_.mainQueue, *services_.urlOpener);
    clickEngine_ = makeEngine(services_);
    shortcutManager_ = std::make_unique<ShortcutManager>(*services_.keyMonitor, *services_.mainQueue);
    const auto problemsOf = [this](FileNoticeSubject subject) {
        return [this, subject](const platform::FileProblem& problem) { showFileProblem(subject, problem); };
    };
    settingsManager_ = std::make_unique<SettingsManager>(SettingsManager::Services{
        *services_.standardDefaults, *services_.loginItem, *services_.activationPolicy, *services_.analytics,
        services_.log, *services_.clock, problemsOf(FileNoticeSubject::settings),
        [this](bool wanted, const std::string& reason) { tellFailure(loginItemNoticeText(wanted, reason)); }});
    profileManager_ =
        std::make_unique<ProfileManager>(*services_.storage, *services_.clock, problemsOf(FileNoticeSubject::presets));
    historyManager_ =
        std::make_unique<HistoryManager>(*services_.storage, *services_.clock, problemsOf(FileNoticeSubject::history));
    coordinateRecorder_ =
        std::make_unique<CoordinateRecorder>(*services_.mainQueue, *services_.mouseInput, *services_.audio);

    run_ = std::make_shared<RunController>(*this, *clickEngine_);
    macro_ = std::make_shared<MacroController>(*this);

    // The main window shows the permission screen from this flag; it observes only the view model.
    connect(permissionManager_.get(), &PermissionManager::hasAccessibilityPermissionChanged, this,
            &AutoClickerViewModel::changed);

    if (settingsManager_->rememberLastConfig()) setConfig(settingsManager_->lastConfig());
    clickEngine_->setDelegate(run_);
    run_->setupShortcuts();
    run_->startGraphTimer();
    restoreLastActivePreset();

    const QStringList problems = std::move(*startupProblems_);
    startupProblems_.reset();
    if (!problems.isEmpty()) showFailureToast(problems.join(QLatin1Char('\n')));
}

AutoClickerViewModel::~AutoClickerViewModel() {
    run_->stopGraphTimer();
    // The macro controller goes first: it removes its monitor and cancels the playback steps.
    macro_.reset();
    // Reports already queued by the engine find no delegate once the controller is gone.
    clickEngine_->setDelegate({});
}

double AutoClickerViewModel::averageIntervalMs() const {
    return run_->averageIntervalMs();
}

std::int64_t AutoClickerViewModel::statisticsMaxClicks() const {
    const ClickConfig* running = run_->shownRunConfig();
    return running ? running->maxClicks : config_.maxClicks;
}

void AutoClickerViewModel::setMenuBarManager(std::unique_ptr<MenuBarManager> manager) {
    // The hand-over may come from one of the old menu's own items ("Show Control Panel" shows the window, which
    // wires a new menu): that menu and its action are still at work, so it goes at the next turn of the queue.
    if (menuBarManager_) {
        services_.mainQueue->post([old = std::shared_ptr<MenuBarManager>(std::move(menuBarManager_))] {});
    }
    menuBarManager_ = std::move(manager);
    // A menu handed over during a run would otherwise offer Start until the next change of the run state.
    if (menuBarManager_) menuBarManager_->updateState(isRunning_, isPaused_);
}

// --- configuration ---

void AutoClickerViewModel::setConfig(const ClickConfig& config) {
    config_ = config;
    emit configChanged();
    emit changed();
    syncConfig();
}

void AutoClickerViewModel::editConfig(const std::function<void(ClickConfig&)>& edit) {
    if (edit) edit(config_);
    emit configChanged();
    emit changed();
    syncConfig();
}

void AutoClickerViewModel::syncConfig() {
    settingsManager_->setLastConfig(config_);
    updateConfigModified();
}

void AutoClickerViewModel::updateConfigModified() {
    setIsConfigModified(loadedConfig_.has_value() && *loadedConfig_ != config_);
}

void AutoClickerViewModel::restoreLastActivePreset() {
    const auto id = services_.storage->lastActivePresetId();
    if (!id) return;
    const auto& presets = profileManager_->presets();
    const auto it = std::find_if(presets.begin(), presets.end(), [&](const ClickPreset& p) { return p.id == *id; });
    if (it == presets.end()) return;
    const ClickPreset preset = *it;
    // Remembered, the configuration is the one the user left, edits made after loading the preset included: it
    // stays, and the preset is what it is compared with. Otherwise the preset's configuration comes back.
    if (!settingsManager_->rememberLastConfig()) setConfig(preset.config);
    setActivePreset(preset.id, preset.name);
    loadedConfig_ = preset.config;
    updateConfigModified();
}

// --- notices and presets ---

void AutoClickerViewModel::showToast(const QString& message) {
    showNotice(message, false);
}

void AutoClickerViewModel::showFailureToast(const QString& message) {
    showNotice(message, true);
}

void AutoClickerViewModel::showFileProblem(FileNoticeSubject subject, const platform::FileProblem& problem) {
    const QString text = fileNoticeText(subject, problem);
    if (services_.log) services_.log->write("Clicktrove: " + text.toStdString());
    tellFailure(text);
}

void AutoClickerViewModel::tellFailure(const QString& text) {
    if (startupProblems_) {
        startupProblems_->append(text);
    } else {
        showFailureToast(text);
    }
}

QString AutoClickerViewModel::loginItemNoticeText(bool wanted, const std::string& reason) {
    QString text = wanted ? QStringLiteral("Launch at Login could not be turned on")
                          : QStringLiteral("Launch at Login could not be turned off");
    if (!reason.empty()) text += QStringLiteral(": ") + QString::fromStdString(reason);
    return text;
}

platform::FileProblemReport AutoClickerViewModel::fileProblemReport(FileNoticeSubject subject) {
    return [self = QPointer<AutoClickerViewModel>(this), subject](const platform::FileProblem& problem) {
        if (self) self->showFileProblem(subject, problem);
    };
}

void AutoClickerViewModel::showNotice(const QString& message, bool failure) {
    toastIsFailure_ = failure;
    setToastMessage(message);
    services_.mainQueue->postAfter(failure ? kFailureToastDuration : kToastDuration,
                                   [self = QPointer<AutoClickerViewModel>(this), message] {
                                       if (self && self->toastMessage_ && *self->toastMessage_ == message) {
                                           self->setToastMessage(std::nullopt);
                                       }
                                   });
}

void AutoClickerViewModel::loadPreset(const ClickPreset& preset) {
    setConfig(preset.config);
    setActivePreset(preset.id, preset.name);
    loadedConfig_ = preset.config;
    setIsConfigModified(false);
    services_.storage->setLastActivePresetId(preset.id);
    showToast(QStringLiteral("Loaded preset '%1'").arg(QString::fromStdString(preset.name)));
}

void AutoClickerViewModel::saveAsNewPreset(const std::string& name) {
    services_.analytics->track(AnalyticsManager::kSavePresetAsNew);
    profileManager_->addPreset(name, config_);
    const bool written = profileManager_->lastSaveSucceeded();
    if (profileManager_->presets().empty()) return;
    const ClickPreset& added = profileManager_->presets().back();
    setActivePreset(added.id, added.name);
    loadedConfig_ = config_;
    setIsConfigModified(false);
    services_.storage->setLastActivePresetId(added.id);
    const QString quoted = QString::fromStdString(name);
    if (written) {
        showToast(QStringLiteral("Saved settings as new preset '%1'").arg(quoted));
    } else {
        showFailureToast(QStringLiteral("Failed to save preset '%1'").arg(quoted));
    }
}

void AutoClickerViewModel::saveChangesToActivePreset() {
    if (!activePresetId_) return;
    std::vector<ClickPreset> presets = profileManager_->presets();
    const auto it =
        std::find_if(presets.begin(), presets.end(), [&](const ClickPreset& p) { return p.id == *activePresetId_; });
    if (it == presets.end()) return;
    it->config = config_;
    const std::string name = it->name;
    profileManager_->setPresets(std::move(presets));
    const bool written = profileManager_->lastSaveSucceeded();
    loadedConfig_ = config_;
    setIsConfigModified(false);
    const QString quoted = QString::fromStdString(name);
    if (written) {
        showToast(QStringLiteral("Saved changes to '%1'").arg(quoted));
    } else {
        showFailureToast(QStringLiteral("Failed to save changes to '%1'").arg(quoted));
    }
}

// --- run control and macros ---

void AutoClickerViewModel::startClicking() {
    run_->startClicking();
}
void AutoClickerViewModel::stopClicking() {
    run_->stopClicking();
}
void AutoClickerViewModel::pauseClicking() {
    run_->pauseClicking();
}
void AutoClickerViewModel::resumeClicking() {
    run_->resumeClicking();
}
void AutoClickerViewModel::resetStats() {
    run_->resetStats();
}
void AutoClickerViewModel::handleShortcutAction(ShortcutManager::Action action) {
    run_->handleShortcutAction(action);
}
void AutoClickerViewModel::emergencyStop() {
    run_->emergencyStop();
}
void AutoClickerViewModel::applicationWillTerminate() {
    run_->applicationWillTerminate();
}
void AutoClickerViewModel::clickEngineDidUpdate(std::int64_t totalClicks, std::int64_t cps,
                                                std::int64_t remainingClicks, double elapsedTime) {
    run_->clickEngineDidUpdate(run_->reportedRun(), totalClicks, cps, remainingClicks, elapsedTime);
}
void AutoClickerViewModel::clickEngineDidStop(bool completed) {
    run_->clickEngineDidStop(run_->reportedRun(), completed);
}
void AutoClickerViewModel::startMacroRecording() {
    macro_->startMacroRecording();
}
void AutoClickerViewModel::stopMacroRecording() {
    macro_->stopMacroRecording();
}
void AutoClickerViewModel::playMacro() {
    macro_->playMacro();
}
void AutoClickerViewModel::stopMacroPlayback() {
    macro_->stopMacroPlayback();
}
void AutoClickerViewModel::exportMacro() {
    macro_->exportMacro();
}
void AutoClickerViewModel::importMacro() {
    macro_->importMacro();
}

// --- published stores ---

template <class T>
void AutoClickerViewModel::publish(T& field, T value, void (AutoClickerViewModel::*signal)()) {
    field = std::move(value);
    emit(this->*signal)();
    emit changed();
}

void AutoClickerViewModel::setStatus(const QString& value) {
    publish(status_, value, &AutoClickerViewModel::statusChanged);
}
void AutoClickerViewModel::setIsRunning(bool value) {
    publish(isRunning_, value, &AutoClickerViewModel::isRunningChanged);
}
void AutoClickerViewModel::setIsPaused(bool value) {
    publish(isPaused_, value, &AutoClickerViewModel::isPausedChanged);
}
void AutoClickerViewModel::setTotalClicks(std::int64_t value) {
    publish(totalClicks_, value, &AutoClickerViewModel::totalClicksChanged);
}
void AutoClickerViewModel::setElapsedTime(double value) {
    publish(elapsedTime_, value, &AutoClickerViewModel::elapsedTimeChanged);
}
void AutoClickerViewModel::setCps(std::int64_t value) {
    publish(cps_, value, &AutoClickerViewModel::cpsChanged);
}
void AutoClickerViewModel::setRemainingClicks(std::int64_t value) {
    publish(remainingClicks_, value, &AutoClickerViewModel::remainingClicksChanged);
}
void AutoClickerViewModel::setCpsHistory(std::vector<double> value) {
    publish(cpsHistory_, std::move(value), &AutoClickerViewModel::cpsHistoryChanged);
}
void AutoClickerViewModel::setIsRecordingMacro(bool value) {
    publish(isRecordingMacro_, value, &AutoClickerViewModel::isRecordingMacroChanged);
}
void AutoClickerViewModel::setRecordedClicks(std::vector<ClickRecord> value) {
    publish(recordedClicks_, std::move(value), &AutoClickerViewModel::recordedClicksChanged);
}
void AutoClickerViewModel::setIsPlayingMacro(bool value) {
    publish(isPlayingMacro_, value, &AutoClickerViewModel::isPlayingMacroChanged);
}
void AutoClickerViewModel::setToastMessage(std::optional<QString> value) {
    publish(toastMessage_, std::move(value), &AutoClickerViewModel::toastMessageChanged);
}
void AutoClickerViewModel::setIsConfigModified(bool value) {
    publish(isConfigModified_, value, &AutoClickerViewModel::isConfigModifiedChanged);
}

void AutoClickerViewModel::setActivePreset(const Uuid& id, const std::string& name) {
    activePresetId_ = id;
    emit activePresetIdChanged();
    activePresetName_ = name;
    emit activePresetNameChanged();
    emit changed();
}

}  // namespace clicktrove
