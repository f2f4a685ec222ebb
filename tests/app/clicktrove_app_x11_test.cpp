// The program's shell on a real X server that has no tray, as a bare window manager or GNOME without an
// AppIndicator extension has none: with the taskbar entry switched off, the main window must never lose both its
// taskbar entry and the tray icon to come back by.
#include "app/clicktrove_app.hpp"
#include "platform/qt/qt_activation_policy.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "support/qt_window_taskbar_state.hpp"

#include <gtest/gtest.h>
#include <QPointer>
#include <QSystemTrayIcon>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

class SilentClient final : public AnalyticsClient {
public:
    void initialize(const Configuration&) override {}
    void signal(const std::string&, const Parameters&) override {}
};

TEST(ClicktroveAppX11, WithoutATrayTheWindowWithItsTaskbarEntryOffIsNeverSkipTaskbar) {
    ASSERT_NE(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), nullptr);
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "the test's X server has no tray";
    ViewModelRig rig;
    {
        // As the user left it last time: no taskbar entry, and the window put away at launch.
        auto vm = rig.make();
        vm->settingsManager().setShowDockIcon(false);
        vm->settingsManager().setStartMinimized(true);
    }
    platform::QtActivationPolicy policy;
    ViewModelServices services = rig.services();
    services.activationPolicy = ViewModelServices::borrow<platform::ActivationPolicy>(policy);
    AnalyticsManager analytics{std::make_shared<SilentClient>()};
    ClicktroveApp::Options options;
    QPointer<ClosingWindow> window;
    options.makeWindow = [&](AutoClickerViewModel&) { return window = new ClosingWindow; };
    options.installBuildAnalyticsClient = false;
    ClicktroveApp app(services, analytics, options);
    app.start();
    ASSERT_TRUE(window);
    ASSERT_FALSE(app.viewModel()->settingsManager().showDockIcon());
    EXPECT_FALSE(skipsTaskbar(*window)) << "shown at launch";

    rig.advance(101ms);
    ASSERT_NE(app.viewModel()->menuBarManager(), nullptr);
    EXPECT_FALSE(app.viewModel()->menuBarManager()->isShownInTray());
    EXPECT_TRUE(window->isMinimized()) << "put away where the taskbar keeps it";
    EXPECT_FALSE(skipsTaskbar(*window)) << "minimised at launch";

    app.showMainWindow();
    app.viewModel()->settingsManager().setShowDockIcon(true);
    app.viewModel()->settingsManager().setShowDockIcon(false);
    EXPECT_FALSE(skipsTaskbar(*window)) << "switched off again while running";
    window->showMinimized();
    EXPECT_FALSE(skipsTaskbar(*window)) << "minimised by the user";
    window->showNormal();
    window->close();
    EXPECT_TRUE(window->quitsOnClose) << "closed, the program ends rather than running on out of reach";
    policy.setActivationPolicy(platform::ActivationPolicy::Policy::regular);
}

}  // namespace
}  // namespace clicktrove::testing
