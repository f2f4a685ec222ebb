#pragma once

#include "platform/key_press_event.hpp"
#include "platform/key_press_monitor.hpp"
#include "services/key_shortcut.hpp"

#include <QObject>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

namespace clicktrove {

namespace platform {
class MainQueue;
}

// Turns key presses anywhere in the session into run-control actions: five fixed combinations (Ctrl+Shift
// with S, X, P, R, T) and Escape, with any modifiers, as the emergency stop. It only reports; the owner sets
// the callbacks and decides what they do. Presses are never consumed.
//
// Each matched press is reported twice: at once where the key monitor delivers it (its own thread), for what
// must not wait for a busy main thread (the emergency stop, the stop shortcut), and then on the main queue,
// in the order the presses came. Everything but those first reports happens on the main thread.
class ShortcutManager final : public QObject {
    Q_OBJECT
public:
    enum class Action { start, stop, pause, resume, reset };
    static constexpr std::array<Action, 5> allActions = {Action::start, Action::stop, Action::pause, Action::resume,
                                                         Action::reset};
    // "Start Clicking", "Stop Clicking", "Pause Clicking", "Resume Clicking", "Reset Stats".
    static std::string_view rawValue(Action action);
    static std::optional<Action> actionFromRawValue(std::string_view text);

    // X keycode of Escape. A key that types Escape in the current mapping counts as well.
    static constexpr std::uint16_t escapeKeyCode = 9;

    // Sets up the default table; installs no monitor yet.
    ShortcutManager(platform::KeyPressMonitor& monitor, platform::MainQueue& mainQueue, QObject* parent = nullptr);
    ~ShortcutManager() override;

    // The active bindings. Fixed after construction.
    const std::map<Action, KeyShortcut>& shortcuts() const { return shortcuts_; }
    bool isMonitoring() const { return isMonitoring_; }

    // Starts watching key presses; does nothing while already watching.
    void startMonitoring();
    // Stops watching; does nothing when not watching.
    void stopMonitoring();

    // Matches one key press and calls the main-thread callback it selects (exactly one or none).
    void handleKeyEvent(const platform::KeyPressEvent& press);

    // On the main thread, on a later turn of the loop than the press.
    std::function<void(Action)> onActionTriggered;
    std::function<void()> onEmergencyStopTriggered;
    // At the press, on the thread that delivers it (the key monitor's own, or one that asked the monitor for
    // the presses that have arrived), after its main-thread handling has been queued: thread safe and quick.
    // Set them before startMonitoring and leave them while monitoring.
    std::function<void(Action)> onActionAtPress;
    std::function<void()> onEmergencyStopAtPress;

private:
    struct Match {
        bool emergency = false;
        std::optional<Action> action;
        bool any() const { return emergency || action.has_value(); }
    };
    // Reads only the table, which never changes after construction: safe from the monitor's thread.
    Match match(const platform::KeyPressEvent& press) const;

    platform::KeyPressMonitor& keyMonitor_;
    platform::MainQueue& mainQueue_;
    std::map<Action, KeyShortcut> shortcuts_;
    // One monitor covers other applications and the program's own windows alike (they share the session's
    // press stream), so the pair of global and local monitors becomes this one token.
    std::optional<platform::KeyPressMonitor::Token> monitor_;
    bool isMonitoring_ = false;
};

}  // namespace clicktrove
