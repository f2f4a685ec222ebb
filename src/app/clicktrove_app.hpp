#pragma once

#include "platform/main_queue.hpp"
#include "session/view_model_services.hpp"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace clicktrove {

class AnalyticsManager;
class AutoClickerViewModel;

namespace platform {
class ActivationPolicy;
}
class TerminationSignalWatcher;

// The program's shell: configures analytics and sends the launch signal, creates the one view model, shows the
// main window, wires a tray menu to the view model each time the window content is shown, puts the window away
// shortly after launch when the user asked to start minimised, and tells analytics about the application's
// lifecycle, which Linux does not announce to libraries. What the window's first frame does not need (the first
// tray menu, the caller's own start-up work) waits until that frame is on screen.
class ClicktroveApp final : public QObject {
    Q_OBJECT
public:
    // Builds the main window's content over the view model; null gives a program that lives in the tray only.
    using WindowFactory = std::function<QWidget*(AutoClickerViewModel&)>;

    struct Options {
        WindowFactory makeWindow;
        // How long after launch the start-minimised check runs.
        std::chrono::milliseconds hideDelay{100};
        // The application installs the client of its build; tests keep the one they gave the manager.
        bool installBuildAnalyticsClient = true;
        // Whether the tray icon is on show at this moment; unset asks the tray menu's item (before the first menu,
        // whether the desktop has a tray). The taskbar setting and the start-minimised check both go by it.
        std::function<bool()> trayIconShown;
        // Start-up work the first frame does not need; runs once, after the main window's first frame is on
        // screen (see finishStartUp for the other occasions).
        std::function<void()> afterFirstFrame;
        // A window that is shown but never exposed (kept iconic or on another workspace by the window manager)
        // gets its start-up work after this long.
        std::chrono::milliseconds startUpWorkFallback{1000};
    };

    ClicktroveApp(ViewModelServices services, AnalyticsManager& analytics, Options options, QObject* parent = nullptr);
    ~ClicktroveApp() override;

    // Analytics, view model, window, the delayed hide; the tray wiring and afterFirstFrame once the window's
    // first frame is shown. Call once, with the event loop about to run.
    void start();
    // Whether the work put off until the first frame has run.
    bool startUpFinished() const { return startUpFinished_; }

    AutoClickerViewModel* viewModel() const { return viewModel_.get(); }
    QWidget* mainWindow() const { return window_; }

    // Brings the application and its main window to the front, also out of the tray or the minimised state
    // (the tray's "Show Control Panel", a later launch of the program).
    void showMainWindow();
    // The same, on the Settings tab (the tray's "Settings...").
    void showSettings();
    // Creates a new tray menu wired to the view model and hands it to the view model (replacing any earlier one).
    void connectMenuBar();

private:
    // The work put off at start-up: after the first frame, before the start-minimised check (which asks the tray),
    // or at the fallback, whichever comes first; only the first call does anything. Without a window the tray is
    // wired at start and only afterFirstFrame is left.
    void finishStartUp();
    void startMinimised();
    // While the window is hidden, brings it back minimised once the tray icon it was put away in is gone.
    void checkTrayWhileHidden();
    bool trayIconShown() const;
    void reportDisplayFacts();
    void watchLifecycle();

    ViewModelServices services_;
    std::shared_ptr<platform::MainQueue> mainQueue_;
    // Asked whether the tray icon is on show, so that a window without a taskbar entry is never lost.
    std::shared_ptr<platform::ActivationPolicy> activationPolicy_;
    AnalyticsManager& analytics_;
    Options options_;
    std::unique_ptr<AutoClickerViewModel> viewModel_;
    QPointer<QWidget> window_;
    std::unique_ptr<TerminationSignalWatcher> termination_;
    bool terminated_ = false;
    bool startUpFinished_ = false;
    std::optional<platform::MainQueue::TaskId> startUpFallback_;
    std::optional<platform::MainQueue::TaskId> trayCheck_;
};

}  // namespace clicktrove
