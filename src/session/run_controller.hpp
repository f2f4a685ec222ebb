#pragma once

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
// starts, stop, pause, resume and the emergency stop, the engine's two reports (hopped once more onto the main
// queue so they run after work already queued there), the click sound, the live statistics and chart, the
// history record and the completion notification, the tray state and the keyboard-shortcut wiring.
// It writes the view model's published run state. Main thread only.
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
    // Binds the shortcut callbacks, then starts the key monitor.
    void setupShortcuts();
    // The repeating one-second chart timer: while no run is active the chart decays by one zero a second.
    void startGraphTimer();
    void stopGraphTimer();

    void clickEngineDidUpdate(std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                              double elapsedTime) override;
    void clickEngineDidStop(bool completed) override;

    double averageIntervalMs() const { return averageIntervalMs_; }
    int startCountdown() const { return startCountdown_; }
    // The countdown before the engine starts is under way.
    bool isCountingDown() const { return startDelayTimer_.has_value(); }

private:
    void scheduleCountdownTick();
    void countdownTick();
    void cancelCountdown();
    void scheduleGraphTick();
    void graphTick();
    void applyProgress(std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks, double elapsedTime);
    void applyStop(bool completed);
    void pushChartSample(double sample);
    void updateMenuBar(bool isRunning, bool isPaused);

    AutoClickerViewModel& viewModel_;
    ClickEngine& engine_;
    platform::MainQueue& mainQueue_;
    // The pending countdown tick; none once the countdown is over or cancelled.
    std::optional<platform::MainQueue::TaskId> startDelayTimer_;
    std::optional<platform::MainQueue::TaskId> graphTimer_;
    int startCountdown_ = 0;
    double averageIntervalMs_ = 0;
};

}  // namespace clicktrove
