// The program's shell on a real X server that has no tray, as a bare window manager or GNOME without an
// AppIndicator extension has none: with the taskbar entry switched off, the main window must never lose both its
// taskbar entry and the tray icon to come back by.
#include "app/clicktrove_app.hpp"
#include "platform/qt/qt_activation_policy.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"

#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

class SilentClient final : public AnalyticsClient {
public:
    void initialize(const Configuration&) override {}
    void signal(const std::string&, const Parameters&) override {}
};

// Notes, as its close begins, whether closing it quits the program.
class ClosingWindow final : public QWidget {
public:
    bool quitsOnClose = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        quitsOnClose = QGuiApplication::quitOnLastWindowClosed();
        QWidget::closeEvent(event);
    }
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// The window's _NET_WM_STATE as a taskbar reads it, on a connection of the test's own.
bool skipsTaskbar(const QWidget& widget) {
    QCoreApplication::processEvents();
    // A round trip on the application's connection first, so the server has what the program sent.
    xcb_connection_t* own = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const auto skip = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    auto* reply = xcb_get_property_reply(c,
                                         xcb_get_property(c, 0, static_cast<xcb_window_t>(widget.winId()),
                                                          atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
                                         nullptr);
    bool found = false;
    if (reply) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const auto* end = atoms + xcb_get_property_value_length(reply) / 4;
        found = std::find(atoms, end, skip) != end;
        std::free(reply);
    }
    xcb_disconnect(c);
    return found;
}

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
