#pragma once

#include "engine/click_config.hpp"
#include "engine/click_engine_delegate.hpp"
#include "platform/main_queue.hpp"
#include "services/shortcut_manager.hpp"

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace clicktrove {

class AutoClickerViewModel;
class ClickEngine;

// Drives clicking runs for the view model: the permission gate, the two-second countdown before the engine
// starts, stop, pause, resume and the emergency stop, the engine's two reports, the click sound, the live
// statistics and the chart, the history record and the completion notification, the tray state and the
// keyboard-shortcut wiring.
// It writes the view model's published run state. Main thread only, but for the two key callbacks it hands
// the shortcut manager for its own thread, which go straight to the engine.
class RunController final : public ClickEngineDelegate, public std::enable_shared_from_this<RunController> {
public:
    static constexpr int kCountdownSeconds = 2;
    static constexpr std::chrono::seconds kTimerPeriod{1};

    static QString countdownText(int secondsLeft);

    RunController(AutoClickerViewModel& viewModel, ClickEngine& engine);
    ~RunController() override;
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    void startClicking();
    void stopClicking();
    void pauseClicking();
    void resumeClicking();
    void resetStats();
    void handleShortcutAction(ShortcutManager::Action action);
    void emergencyStop();
    // Published in a failure notice when a start is refused because Fixed Position has no point to click.
    static QString noPointsNotice();
    // The same when a Double Click run's maximum is 1, which not even one double click fits.
    static QString doubleClickOverMaximumNotice();
    // Why a run of this configuration must not start, if it must not.
    static std::optional<QString> refusalOf(const ClickConfig& config);
    // The program is quitting: a run under way (countdown, running or paused) ends here as the emergency stop
    // ends it, releasing every button, so that none stays down at the server once the process is gone; an engine
    // run is recorded in the history as a stopped one, with every click that went out.
    void applicationWillTerminate();
    // Binds the shortcut callbacks, then starts the key monitor.
    void setupShortcuts();
    // The one-second chart timer: each second the chart takes the clicks of that second as its newest sample
    // (none during the countdown or a pause, and none while idle but those of a run that ended within that
    // second). Idle with a flat chart it has nothing to do and stops (or does not start); the next start or
    // report sets it going again.
    void startGraphTimer();
    void stopGraphTimer();

    void clickEngineDidUpdate(ClickRunId run, std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                              double elapsedTime) override;
    void clickEngineDidStop(ClickRunId run, bool completed) override;
    // The engine run whose reports count now; kNoRun when none is awaited. Reports of kNoRun stand for a run
    // with no engine behind it (the view model's own report entry points), which the current configuration
    // describes.
    static constexpr ClickRunId kNoRun = 0;
    ClickRunId reportedRun() const { return engineRun_ ? engineRun_->id : kNoRun; }

    double averageIntervalMs() const { return averageIntervalMs_; }
    // The configuration of the engine run whose figures are on show; null when none is (idle, countdown).
    const ClickConfig* shownRunConfig() const {
        return engineRun_ && engineRun_->shown ? &engineRun_->config : nullptr;
    }
    int startCountdown() const { return startCountdown_; }
    // The countdown before the engine starts is under way.
    bool isCountingDown() const { return startDelayTimer_.has_value(); }

private:
    // One engine run as the reports tell it: its own totals and the configuration it started with, which
    // its history record and notification take whatever the screens show or were edited to meanwhile.
    struct EngineRun {
        ClickRunId id = kNoRun;
        ClickConfig config;
        std::int64_t totalClicks = 0;
        double elapsedTime = 0;
        double averageIntervalMs = 0;
        // Its reports drive the published state; false once a newer start has been accepted (after an
        // emergency stop, before this run's stopped report came).
        bool shown = true;
    };

    void scheduleCountdownTick();
    void countdownTick(std::uint64_t start);
    void cancelCountdown();
    void startEngine();
    void emergencyStopAfterKey();
    void finishEmergencyStop();
    // The run a report belongs to, when it still counts.
    EngineRun* runFor(ClickRunId run);
    // A run is active, or a tick would still change the chart or the cps figure.
    bool chartHasWork() const;
    void scheduleGraphTick();
    void graphTick();
    void applyProgress(ClickRunId run, std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                       double elapsedTime);
    void applyStop(ClickRunId run, bool completed);
    void pushChartSample(double sample);
    void updateMenuBar(bool isRunning, bool isPaused);

    AutoClickerViewModel& viewModel_;
    ClickEngine& engine_;
    platform::MainQueue& mainQueue_;
    // The pending countdown tick; none once the countdown is over or cancelled.
    std::optional<platform::MainQueue::TaskId> startDelayTimer_;
    std::optional<platform::MainQueue::TaskId> graphTimer_;
    // Clicks the reports told of since the chart's last sample, from the runs' own totals (a Reset of the
    // figures on show does not touch them).
    std::int64_t clicksSinceSample_ = 0;
    int startCountdown_ = 0;
    // Counts accepted starts: a countdown tick of an earlier start finds a newer number and does nothing.
    std::uint64_t startNumber_ = 0;
    double averageIntervalMs_ = 0;
    std::optional<EngineRun> engineRun_;
};

}  // namespace clicktrove
