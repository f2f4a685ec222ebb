#pragma once

#include "engine/click_record.hpp"
#include "engine/date.hpp"
#include "platform/main_queue.hpp"
#include "platform/mouse_button_monitor.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace clicktrove {

class AutoClickerViewModel;

// Macros for the view model: recording the user's mouse presses through the session-wide button monitor,
// playing them back as cancellable main-queue work at their recorded delays (posting through the input
// layer, not the engine), the corner stop of playback on the primary monitor, and export and import of the
// macro file through the file chooser. Independent of clicking runs. Main thread only.
class MacroController final : public std::enable_shared_from_this<MacroController> {
public:
    // The playback ends this long after the last record of the list.
    static constexpr double kTailSeconds = 0.1;
    static constexpr double kCornerDistance = 3.0;
    // Delays beyond this (about 31 years) are taken as this: keeps the deadline arithmetic inside its range
    // for imported files with absurd numbers.
    static constexpr double kMaxDelaySeconds = 1e9;
    static constexpr int kScrollLines = 5;

    // A record's delay as a main-queue delay: 0 for none, negative or not-a-number, capped at kMaxDelaySeconds.
    static std::chrono::nanoseconds queueDelay(double seconds);

    explicit MacroController(AutoClickerViewModel& viewModel);
    // Removes the monitor and cancels every pending playback step.
    ~MacroController();
    MacroController(const MacroController&) = delete;
    MacroController& operator=(const MacroController&) = delete;

    void startMacroRecording();
    void stopMacroRecording();
    void playMacro();
    void stopMacroPlayback();
    void exportMacro();
    void importMacro();
    // Cancels every scheduled step and the tail, flags untouched.
    void cancelPlaybackItems();
    // The pointer within kCornerDistance of a corner of the primary monitor.
    bool isCursorInMainScreenCorner() const;

    std::size_t pendingPlaybackItems() const { return macroPlaybackWorkItems_.size(); }

private:
    void recordMacroEvent(const platform::MouseButtonPress& press);
    void playMacroStep(const ClickRecord& record);

    AutoClickerViewModel& viewModel_;
    std::optional<Date> macroStartTime_;
    // One monitor sees the presses of other applications and of the program's own windows alike.
    std::optional<platform::MouseButtonMonitor::Token> macroMonitor_;
    std::vector<platform::MainQueue::TaskId> macroPlaybackWorkItems_;
};

}  // namespace clicktrove
