#include "session/run_controller.hpp"

#include "engine/click_engine.hpp"
#include "engine/permission_manager.hpp"
#include "platform/key_press_monitor.hpp"
#include "services/analytics_manager.hpp"
#include "services/audio_manager.hpp"
#include "services/history_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/notification_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "session/macro_controller.hpp"

#include <algorithm>

namespace clicktrove {

QString RunController::countdownText(int secondsLeft) {
    return QStringLiteral("Starting in %1s...").arg(secondsLeft);
}

QString RunController::noPointsNotice() {
    return QStringLiteral("Record at least one coordinate for Fixed Position, or switch to Current Mouse Position");
}

QString RunController::doubleClickOverMaximumNotice() {
    return QStringLiteral("A Double Click makes 2 clicks, more than Max Clicks allows: set Max Clicks to 2 or more, "
                          "or to 0 for no limit");
}

std::optional<QString> RunController::refusalOf(const ClickConfig& config) {
    // A fixed-position run without a point would click the corner of the primary monitor, over and over.
    // (A drag has its own end points and needs none.)
    if (config.positionMode == ClickPositionMode::fixed && config.fixedCoordinates.empty() && !config.isDragEnabled) {
        return noPointsNotice();
    }
    // Not even the first double click would fit: the run would complete at once, having clicked nothing.
    if (config.clickType == ClickType::doubleClick && !config.isDragEnabled && config.maxClicks == 1) {
        return doubleClickOverMaximumNotice();
    }
    return std::nullopt;
}

RunController::RunController(AutoClickerViewModel& viewModel, ClickEngine& engine)
    : viewModel_(viewModel), engine_(engine), mainQueue_(*viewModel.services_.mainQueue) {}

RunController::~RunController() {
    stopGraphTimer();
    // The countdown's pending tick would find no controller; cancel it so the queue forgets it now.
    if (startDelayTimer_) mainQueue_.cancel(*startDelayTimer_);
}

void RunController::startClicking() {
    PermissionManager& permission = viewModel_.permissionManager();
    if (!permission.hasAccessibilityPermission()) {
        // Only asks again (and publishes a changed answer); the user presses Start once more to run.
        permission.checkPermission();
        return;
    }
    if (viewModel_.isRunning_) return;
    if (const auto refusal = refusalOf(viewModel_.config_)) {
        viewModel_.showFailureToast(*refusal);
        emit viewModel_.startRefused(*refusal);
        return;
    }

    viewModel_.services_.analytics->trackStartClicking(viewModel_.config_.clickType);
    // A run still waiting for its stopped report (an emergency stop's) no longer speaks for the screens.
    if (engineRun_) engineRun_->shown = false;
    ++startNumber_;
    viewModel_.setIsRunning(true);
    viewModel_.setIsPaused(false);
    startCountdown_ = kCountdownSeconds;
    viewModel_.setStatus(countdownText(startCountdown_));
    viewModel_.setTotalClicks(0);
    viewModel_.setElapsedTime(0);
    viewModel_.setCps(0);
    averageIntervalMs_ = 0;
    updateMenuBar(true, false);
    cancelCountdown();
    scheduleCountdownTick();
    // The chart samples every second while a run is active, countdown and pauses included.
    if (!graphTimer_) scheduleGraphTick();
}

void RunController::scheduleCountdownTick() {
    startDelayTimer_ = mainQueue_.postAfter(kTimerPeriod, [weak = weak_from_this(), start = startNumber_] {
        if (auto self = weak.lock()) self->countdownTick(start);
    });
}

void RunController::countdownTick(std::uint64_t start) {
    // A tick of a countdown that was cancelled and replaced must not start anything.
    if (start != startNumber_) return;
    startDelayTimer_.reset();
    --startCountdown_;
    if (startCountdown_ <= 0) {
        startEngine();
        return;
    }
    // A countdown paused by the user still counts, and says Paused meanwhile.
    if (!viewModel_.isPaused_) viewModel_.setStatus(countdownText(startCountdown_));
    scheduleCountdownTick();
}

void RunController::startEngine() {
    // Edits made from here on reach the engine only at the next start.
    const ClickConfig config = viewModel_.config_;
    auto id = engine_.start(config);
    if (!id) {
        // Only a run this controller no longer follows can hold the engine; this start replaces it.
        engine_.stop(false);
        id = engine_.start(config);
    }
    if (!id) return;
    engineRun_ = EngineRun{*id, config};
    if (viewModel_.isPaused_) {
        // Paused during the countdown: the run begins paused, and Resume starts the clicking.
        engine_.pause();
        return;
    }
    viewModel_.setStatus(QStringLiteral("Running"));
}

void RunController::cancelCountdown() {
    if (startDelayTimer_) mainQueue_.cancel(*startDelayTimer_);
    startDelayTimer_.reset();
}

void RunController::stopClicking() {
    if (!viewModel_.isRunning_) return;
    viewModel_.services_.analytics->track(AnalyticsManager::kStopClicking);
    if (isCountingDown()) {
        // The engine never started: no stopped report and no history record will come.
        cancelCountdown();
        viewModel_.setIsRunning(false);
        viewModel_.setIsPaused(false);
        viewModel_.setStatus(QStringLiteral("Stopped"));
        updateMenuBar(false, false);
        return;
    }
    // The published state changes when the engine's stopped report arrives.
    engine_.stop(false);
}

void RunController::pauseClicking() {
    if (!viewModel_.isRunning_ || viewModel_.isPaused_) return;
    viewModel_.setIsPaused(true);
    viewModel_.setStatus(QStringLiteral("Paused"));
    updateMenuBar(true, true);
    // During the countdown the engine is not running yet and ignores this.
    engine_.pause();
}

void RunController::resumeClicking() {
    if (!viewModel_.isRunning_ || !viewModel_.isPaused_) return;
    viewModel_.setIsPaused(false);
    viewModel_.setStatus(isCountingDown() ? countdownText(startCountdown_) : QStringLiteral("Running"));
    updateMenuBar(true, false);
    engine_.resume();
}

void RunController::resetStats() {
    viewModel_.setTotalClicks(0);
    viewModel_.setElapsedTime(0);
    viewModel_.setCps(0);
    viewModel_.setCpsHistory(std::vector<double>(AutoClickerViewModel::kChartSamples, 0.0));
    // Clicks made before the reset do not turn up in the chart's next sample either.
    clicksSinceSample_ = 0;
}

void RunController::handleShortcutAction(ShortcutManager::Action action) {
    switch (action) {
        case ShortcutManager::Action::start:
            startClicking();
            break;
        case ShortcutManager::Action::stop:
            stopClicking();
            break;
        case ShortcutManager::Action::pause:
            pauseClicking();
            break;
        case ShortcutManager::Action::resume:
            resumeClicking();
            break;
        case ShortcutManager::Action::reset:
            resetStats();
            break;
    }
}

void RunController::emergencyStop() {
    cancelCountdown();
    engine_.emergencyStop();
    finishEmergencyStop();
}

void RunController::applicationWillTerminate() {
    cancelCountdown();
    // Idle, nothing of ours is down, and a button the user holds is not ours to let go.
    if (engine_.isRunning()) engine_.emergencyStop();
    // The stopped report would come on a later turn of the event loop, which a quit does not have: the engine
    // hands it over now, with the run's final totals ahead of it (whatever its reports had not told yet), and the
    // run goes into the history as a stopped run does.
    engine_.deliverStoppedReports();
    // Should the engine have had no report of the run, it goes in with the totals its reports told.
    if (engineRun_) applyStop(engineRun_->id, false);
}

void RunController::emergencyStopAfterKey() {
    cancelCountdown();
    // The key's own thread stopped the engine and released the buttons at the press already; only a run that
    // a countdown started since then is left to stop.
    if (engine_.isRunning()) engine_.emergencyStop();
    finishEmergencyStop();
}

void RunController::finishEmergencyStop() {
    if (viewModel_.isPlayingMacro_) viewModel_.stopMacroPlayback();
    viewModel_.macro_->cancelPlaybackItems();
    viewModel_.setIsRunning(false);
    viewModel_.setIsPaused(false);
    viewModel_.setIsPlayingMacro(false);
    viewModel_.setStatus(QStringLiteral("Emergency Stop"));
    updateMenuBar(false, false);
}

void RunController::setupShortcuts() {
    ShortcutManager& shortcuts = viewModel_.shortcutManager();
    shortcuts.onActionTriggered = [weak = weak_from_this()](ShortcutManager::Action action) {
        if (auto self = weak.lock()) self->handleShortcutAction(action);
    };
    shortcuts.onEmergencyStopTriggered = [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->emergencyStopAfterKey();
    };
    // Straight from the key's thread to the engine (which is thread safe and outlives the shortcut manager):
    // stopping must not wait for a main thread that is busy repainting at 1,000 clicks a second.
    shortcuts.onEmergencyStopAtPress = [&engine = engine_] { engine.emergencyStop(); };
    shortcuts.onActionAtPress = [&engine = engine_](ShortcutManager::Action action) {
        if (action == ShortcutManager::Action::stop) engine.stop(false);
    };
    // Before each click the engine lets the key watcher hand out presses that have arrived: on a loaded
    // machine its own thread may wait for a CPU while the engine's keeps clicking.
    engine_.setBeforeClick([&monitor = *viewModel_.services_.keyMonitor] { monitor.deliverPending(); });
    shortcuts.startMonitoring();
}

void RunController::startGraphTimer() {
    stopGraphTimer();
    if (chartHasWork()) scheduleGraphTick();
}

bool RunController::chartHasWork() const {
    if (viewModel_.isRunning_ || clicksSinceSample_ > 0 || viewModel_.cps_ != 0) return true;
    const auto& history = viewModel_.cpsHistory_;
    return std::any_of(history.begin(), history.end(), [](double v) { return v != 0.0; });
}

void RunController::stopGraphTimer() {
    if (graphTimer_) mainQueue_.cancel(*graphTimer_);
    graphTimer_.reset();
}

void RunController::scheduleGraphTick() {
    graphTimer_ = mainQueue_.postAfter(kTimerPeriod, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->graphTick();
    });
}

void RunController::graphTick() {
    graphTimer_.reset();
    // The clicks of the last second: during a pause or the countdown none, while idle none but those of a
    // run that ended within it.
    const auto sample = static_cast<double>(clicksSinceSample_);
    clicksSinceSample_ = 0;
    if (!viewModel_.isRunning_) viewModel_.setCps(0);
    pushChartSample(sample);
    // Idle and flat, a tick would change nothing: an idle window need not wake every second. A start or a
    // report sets the timer going again (perhaps already, from a slot of the signals above).
    if (!graphTimer_ && chartHasWork()) scheduleGraphTick();
}

// The engine delivers its reports on the main queue, behind whatever was queued there before them: the key
// watcher queues an emergency stop's handling before it stops the engine, so the stop's own changes come
// first. Handled at once, each report costs the main thread one pass.
void RunController::clickEngineDidUpdate(ClickRunId run, std::int64_t totalClicks, std::int64_t cps,
                                         std::int64_t remainingClicks, double elapsedTime) {
    applyProgress(run, totalClicks, cps, remainingClicks, elapsedTime);
}

void RunController::clickEngineDidStop(ClickRunId run, bool completed) {
    applyStop(run, completed);
}

RunController::EngineRun* RunController::runFor(ClickRunId run) {
    if (engineRun_) return engineRun_->id == run ? &*engineRun_ : nullptr;
    if (run != kNoRun) return nullptr;
    engineRun_ = EngineRun{kNoRun, viewModel_.config_};
    return &*engineRun_;
}

void RunController::applyProgress(ClickRunId run, std::int64_t totalClicks, std::int64_t cps,
                                  std::int64_t remainingClicks, double elapsedTime) {
    // A report of a run already over (a tick that was under way at its stop) changes nothing.
    EngineRun* engineRun = runFor(run);
    if (!engineRun) return;
    const std::int64_t newClicks = totalClicks - engineRun->totalClicks;
    engineRun->totalClicks = totalClicks;
    engineRun->elapsedTime = elapsedTime;
    if (totalClicks >= 1) engineRun->averageIntervalMs = elapsedTime * 1000.0 / static_cast<double>(totalClicks);
    if (!engineRun->shown) return;

    if (newClicks > 0) clicksSinceSample_ += newClicks;
    SettingsManager& settings = viewModel_.settingsManager();
    // One sound per report, however many clicks the tick made.
    if (totalClicks > viewModel_.totalClicks_ && settings.playSound()) {
        viewModel_.services_.audio->playSound(settings.soundName(), settings.soundVolume());
    }
    viewModel_.setTotalClicks(totalClicks);
    viewModel_.setElapsedTime(elapsedTime);
    viewModel_.setCps(cps);
    viewModel_.setRemainingClicks(remainingClicks);
    if (!graphTimer_) startGraphTimer();
    if (totalClicks >= 1) averageIntervalMs_ = elapsedTime * 1000.0 / static_cast<double>(totalClicks);
}

void RunController::applyStop(ClickRunId run, bool completed) {
    EngineRun* engineRun = runFor(run);
    if (!engineRun) return;
    const EngineRun ended = std::move(*engineRun);
    engineRun_.reset();
    // Stopped after a newer start was accepted: that start owns the screens now, and this report only
    // completes the run's own record.
    if (ended.shown) {
        // Nothing remains of a run that completed, whether a double click that would have overshot the maximum
        // was left out or the scheduled stop came first.
        if (completed) viewModel_.setRemainingClicks(0);
        viewModel_.setIsRunning(false);
        viewModel_.setIsPaused(false);
        viewModel_.setStatus(QStringLiteral("Stopped"));
        updateMenuBar(false, false);
    }
    // The run's own totals (a Reset only cleared what the screens show) and the configuration it started with.
    viewModel_.historyManager().addRecord(ended.totalClicks, ended.config.clickType, ended.elapsedTime,
                                          ended.averageIntervalMs);
    // A run that made no click (a scheduled stop already past at its first tick) finished nothing to tell of.
    if (completed && ended.totalClicks >= 1 && ended.config.notifyOnComplete) {
        viewModel_.services_.notifications().sendCompletionNotification(ended.totalClicks, ended.elapsedTime);
    }
}

void RunController::pushChartSample(double sample) {
    std::vector<double> history = viewModel_.cpsHistory_;
    if (!history.empty()) history.erase(history.begin());
    history.push_back(sample);
    // Always exactly the chart's length, whatever happened before.
    history.resize(AutoClickerViewModel::kChartSamples, 0.0);
    viewModel_.setCpsHistory(std::move(history));
}

void RunController::updateMenuBar(bool isRunning, bool isPaused) {
    if (MenuBarManager* menu = viewModel_.menuBarManager()) menu->updateState(isRunning, isPaused);
}

}  // namespace clicktrove
