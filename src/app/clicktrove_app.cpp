#include "app/clicktrove_app.hpp"

#include "app/first_frame_watch.hpp"
#include "app/termination_signal_watcher.hpp"
#include "platform/activation_policy.hpp"
#include "platform/main_queue.hpp"
#include "platform/qt/x11_window_hints.hpp"
#include "services/analytics_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/shell/main_view.hpp"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindow>

namespace clicktrove {

namespace {
// How often a window put away in the tray makes sure the tray is still there.
constexpr std::chrono::seconds kTrayCheckInterval{2};

// Runs its tasks at every show and hide of the main window: on show the window names, and the tray wiring that a
// window scene's on-appear would do.
class ShowWatcher final : public QObject {
public:
    ShowWatcher(QObject* parent, std::function<void()> onShow, std::function<void()> onHide)
        : QObject(parent), onShow_(std::move(onShow)), onHide_(std::move(onHide)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) onShow_();
        if (event->type() == QEvent::Hide) onHide_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onShow_;
    std::function<void()> onHide_;
};
}  // namespace

ClicktroveApp::ClicktroveApp(ViewModelServices services, AnalyticsManager& analytics, Options options, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      mainQueue_(services_.mainQueue),
      analytics_(analytics),
      options_(std::move(options)) {}

ClicktroveApp::~ClicktroveApp() {
    // The policy is the process's and outlives this shell.
    if (activationPolicy_) activationPolicy_->setTrayIconShown({});
    if (window_) delete window_.data();
    if (trayCheck_) mainQueue_->cancel(*trayCheck_);
}

void ClicktroveApp::start() {
    // Analytics first, so that "AppLaunched" precedes the settings' own signals sent while the view model loads.
    if (options_.installBuildAnalyticsClient) analytics_.useBuildClient(mainQueue_);
    analytics_.configure();
    analytics_.track(AnalyticsManager::kAppLaunched);
    reportDisplayFacts();
    watchLifecycle();

    // Before the settings apply the taskbar setting: it holds only while the tray icon is there to come back by.
    activationPolicy_ = services_.activationPolicy;
    if (activationPolicy_) {
        activationPolicy_->setTrayIconShown(
            [self = QPointer<ClicktroveApp>(this)] { return self != nullptr && self->trayIconShown(); });
    }
    viewModel_ = std::make_unique<AutoClickerViewModel>(std::move(services_));

    if (options_.makeWindow) window_ = options_.makeWindow(*viewModel_);
    const auto self = QPointer<ClicktroveApp>(this);
    if (window_) {
        window_->installEventFilter(new ShowWatcher(
            window_,
            [this] {
                if (window_->windowHandle() != nullptr) platform::setWindowNames(*window_->windowHandle());
                // The first show's wiring waits with the rest of the start-up work; each later show wires anew.
                if (startUpFinished_) connectMenuBar();
            },
            [this] { checkTrayWhileHidden(); }));
        window_->show();
        new FirstFrameWatch(*window_, mainQueue_, [this] { finishStartUp(); });
        startUpFallback_ = mainQueue_->postAfter(options_.startUpWorkFallback, [self] {
            if (self) self->finishStartUp();
        });
    } else {
        // Without a window the tray is the only way in, so wire it now.
        connectMenuBar();
        mainQueue_->post([self] {
            if (self) self->finishStartUp();
        });
    }

    mainQueue_->postAfter(options_.hideDelay, [self] {
        if (self) self->startMinimised();
    });
}

void ClicktroveApp::finishStartUp() {
    if (startUpFinished_ || !viewModel_) return;
    startUpFinished_ = true;
    if (startUpFallback_) mainQueue_->cancel(*startUpFallback_);
    // The caller's first: it may want to know how soon after the frame it ran.
    if (options_.afterFirstFrame) options_.afterFirstFrame();
    if (window_) connectMenuBar();
}

void ClicktroveApp::startMinimised() {
    if (!viewModel_ || !window_ || !viewModel_->settingsManager().startMinimized()) return;
    // Where the window goes depends on the tray, which may still be waiting for the first frame.
    finishStartUp();
    // Hidden, the window is reached only through the tray icon: without one on show (no tray on this desktop,
    // or not yet there) it is minimised instead, so that the taskbar keeps it.
    if (trayIconShown()) {
        window_->hide();
    } else {
        window_->showMinimized();
    }
}

void ClicktroveApp::checkTrayWhileHidden() {
    // Hidden, the window is reached only through the tray icon: should the tray go meanwhile (its panel quit or
    // crashed), the window comes back minimised, where the taskbar keeps it.
    if (trayCheck_) mainQueue_->cancel(*trayCheck_);
    trayCheck_ = mainQueue_->postAfter(kTrayCheckInterval, [self = QPointer<ClicktroveApp>(this)] {
        if (!self) return;
        self->trayCheck_.reset();
        if (!self->window_ || self->window_->isVisible()) return;
        if (self->trayIconShown()) {
            self->checkTrayWhileHidden();
        } else {
            self->window_->showMinimized();
        }
    });
}

bool ClicktroveApp::trayIconShown() const {
    if (options_.trayIconShown) return options_.trayIconShown();
    const MenuBarManager* tray = viewModel_ ? viewModel_->menuBarManager() : nullptr;
    // Before the first menu is wired (it waits for the first frame), its icon will be on show where a tray is.
    if (tray == nullptr) return QSystemTrayIcon::isSystemTrayAvailable();
    return tray->isShownInTray();
}

void ClicktroveApp::connectMenuBar() {
    if (!viewModel_) return;
    auto manager = std::make_unique<MenuBarManager>();
    AutoClickerViewModel* vm = viewModel_.get();
    manager->onStart = [vm] { vm->startClicking(); };
    manager->onStop = [vm] { vm->stopClicking(); };
    manager->onPause = [vm] { vm->pauseClicking(); };
    manager->onResume = [vm] { vm->resumeClicking(); };
    manager->onShowWindow = [this] { showMainWindow(); };
    manager->onShowSettings = [this] { showSettings(); };
    viewModel_->setMenuBarManager(std::move(manager));
    if (activationPolicy_) activationPolicy_->trayIconMayHaveChanged();
}

void ClicktroveApp::showMainWindow() {
    if (!window_) return;
    if (window_->isMinimized()) window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void ClicktroveApp::showSettings() {
    showMainWindow();
    if (auto* view = qobject_cast<MainView*>(window_.data())) view->selectTab(MainViewTab::settings);
}

void ClicktroveApp::reportDisplayFacts() {
    // Asked at every signal: the stored theme applies only once the window is built, and the user may change
    // the theme or the screens at any time.
    analytics_.setDisplayFactsSource([] {
        AnalyticsClient::DisplayFacts facts;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            facts.screenWidth = screen->size().width();
            facts.screenHeight = screen->size().height();
            facts.screenScale = screen->devicePixelRatio();
        }
        facts.colorScheme = ThemeAppearance::instance().isDark() ? "Dark" : "Light";
        facts.rightToLeft = QGuiApplication::layoutDirection() == Qt::RightToLeft;
        return facts;
    });
}

void ClicktroveApp::watchLifecycle() {
    termination_ = std::make_unique<TerminationSignalWatcher>();
    connect(termination_.get(), &TerminationSignalWatcher::terminationRequested, qApp, &QCoreApplication::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        // Every way out comes here (the tray's Quit, the last window closed, a termination signal, a logout):
        // a run holding a button must let it go while the process can still tell the X server.
        if (viewModel_) viewModel_->applicationWillTerminate();
        if (terminated_) return;
        terminated_ = true;
        analytics_.applicationWillTerminate();
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this, wasActive = false](Qt::ApplicationState state) mutable {
                const bool active = state == Qt::ApplicationActive;
                if (active == wasActive) return;
                wasActive = active;
                if (active) {
                    analytics_.applicationWillBecomeActive();
                } else {
                    analytics_.applicationDidResignActive();
                }
            });
}

}  // namespace clicktrove
