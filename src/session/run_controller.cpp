#include "session/run_controller.hpp"

#include "engine/click_engine.hpp"
#include "engine/permission_manager.hpp"
#include "services/analytics_manager.hpp"
#include "services/audio_manager.hpp"
#include "services/history_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/notification_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "session/macro_controller.hpp"

namespace clicktrove {

QString RunController::countdownText(int secondsLeft) {
    return QStringLiteral("Starting in %1s...").arg(secondsLeft);
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

    viewModel_.services_.analytics->trackStartClicking(viewModel_.config_.clickType);
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
}

void RunController::scheduleCountdownTick() {
    startDelayTimer_ = mainQueue_.postAfter(kTimerPeriod, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->countdownTick();
    });
}

void RunController::countdownTick() {
    startDelayTimer_.reset();
    --startCountdown_;
    if (startCountdown_ <= 0) {
        viewModel_.setStatus(QStringLiteral("Running"));
        // Edits made from here on reach the engine only at the next start.
        engine_.start(viewModel_.config_);
        return;
    }
    viewModel_.setStatus(countdownText(startCountdown_));
    scheduleCountdownTick();
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
    viewModel_.setStatus(QStringLiteral("Running"));
    updateMenuBar(true, false);
    engine_.resume();
}

void RunController::resetStats() {
    viewModel_.setTotalClicks(0);
    viewModel_.setElapsedTime(0);
    viewModel_.setCps(0);
    viewModel_.setCpsHistory(std::vector<double>(AutoClickerViewModel::kChartSamples, 0.0));
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
        if (auto self = weak.lock()) self->emergencyStop();
    };
    shortcuts.startMonitoring();
}

void RunController::startGraphTimer() {
    stopGraphTimer();
    scheduleGraphTick();
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
    scheduleGraphTick();
    if (viewModel_.isRunning_) return;
    mainQueue_.post([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->viewModel_.setCps(0);
        self->pushChartSample(0);
    });
}

void RunController::clickEngineDidUpdate(std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                                         double elapsedTime) {
    mainQueue_.post([weak = weak_from_this(), totalClicks, cps, remainingClicks, elapsedTime] {
        if (auto self = weak.lock()) self->applyProgress(totalClicks, cps, remainingClicks, elapsedTime);
    });
}

void RunController::clickEngineDidStop(bool completed) {
    mainQueue_.post([weak = weak_from_this(), completed] {
        if (auto self = weak.lock()) self->applyStop(completed);
    });
}

void RunController::applyProgress(std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                                  double elapsedTime) {
    SettingsManager& settings = viewModel_.settingsManager();
    // One sound per report, however many clicks the tick made.
    if (totalClicks > viewModel_.totalClicks_ && settings.playSound()) {
        viewModel_.services_.audio->playSound(settings.soundName(), settings.soundVolume());
    }
    viewModel_.setTotalClicks(totalClicks);
    viewModel_.setElapsedTime(elapsedTime);
    viewModel_.setCps(cps);
    viewModel_.setRemainingClicks(remainingClicks);
    pushChartSample(static_cast<double>(cps));
    if (totalClicks >= 1) averageIntervalMs_ = elapsedTime * 1000.0 / static_cast<double>(totalClicks);
}

void RunController::applyStop(bool completed) {
    viewModel_.setIsRunning(false);
    viewModel_.setIsPaused(false);
    viewModel_.setStatus(QStringLiteral("Stopped"));
    updateMenuBar(false, false);
    // The click type and the notification switch come from the configuration current now.
    const ClickConfig& config = viewModel_.config_;
    viewModel_.historyManager().addRecord(viewModel_.totalClicks_, config.clickType, viewModel_.elapsedTime_,
                                          averageIntervalMs_);
    if (completed && config.notifyOnComplete) {
        viewModel_.services_.notifications().sendCompletionNotification(viewModel_.totalClicks_,
                                                                        viewModel_.elapsedTime_);
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
