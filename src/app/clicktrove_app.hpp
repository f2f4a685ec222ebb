#pragma once

#include "session/view_model_services.hpp"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>

namespace clicktrove {

class AnalyticsManager;
class AutoClickerViewModel;
class TerminationSignalWatcher;
namespace platform {
class MainQueue;
}

// The program's shell: configures analytics and sends the launch signal, creates the one view model, shows the
// main window, wires a tray menu to the view model each time the window content is shown, puts the window away
// shortly after launch when the user asked to start minimised, and tells analytics about the application's
// lifecycle, which Linux does not announce to libraries.
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
        // Whether the tray icon is on show at this moment; unset asks the tray menu's item.
        std::function<bool()> trayIconShown;
    };

    ClicktroveApp(ViewModelServices services, AnalyticsManager& analytics, Options options, QObject* parent = nullptr);
    ~ClicktroveApp() override;

    // Analytics, view model, window, tray wiring, the delayed hide. Call once, with the event loop about to run.
    void start();

    AutoClickerViewModel* viewModel() const { return viewModel_.get(); }
    QWidget* mainWindow() const { return window_; }

    // Brings the application and its main window to the front, also out of the tray or the minimised state
    // (the tray's "Show Control Panel" and "Settings...", a later launch of the program).
    void showMainWindow();
    // Creates a new tray menu wired to the view model and hands it to the view model (replacing any earlier one).
    void connectMenuBar();

private:
    void startMinimised();
    bool trayIconShown() const;
    void reportDisplayFacts();
    void watchLifecycle();

    ViewModelServices services_;
    AnalyticsManager& analytics_;
    Options options_;
    std::unique_ptr<AutoClickerViewModel> viewModel_;
    QPointer<QWidget> window_;
    std::unique_ptr<TerminationSignalWatcher> termination_;
    bool terminated_ = false;
};

}  // namespace clicktrove
