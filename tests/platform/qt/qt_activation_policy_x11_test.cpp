#include "platform/qt/qt_activation_policy.hpp"

#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using clicktrove::platform::QtActivationPolicy;
using Policy = clicktrove::platform::ActivationPolicy::Policy;

namespace {
xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// Reads the window's _NET_WM_STATE on a connection of the test's own, as a window manager would.
bool skipsTaskbar(const QWidget& widget) {
    QCoreApplication::processEvents();
    // A round trip on the application's own connection: once it returns, the server has carried out every
    // request the policy sent, so the other connection cannot read the property before the change.
    xcb_connection_t* own = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const auto state = atom(c, "_NET_WM_STATE");
    const auto skip = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, static_cast<xcb_window_t>(widget.winId()), state, XCB_ATOM_ATOM, 0, 64), nullptr);
    bool found = false;
    if (reply) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        found = std::find(atoms, atoms + xcb_get_property_value_length(reply) / 4, skip) !=
                atoms + xcb_get_property_value_length(reply) / 4;
        std::free(reply);
    }
    xcb_disconnect(c);
    return found;
}
}  // namespace

TEST(QtActivationPolicyX11, AccessoryWindowsSkipTheTaskbarIncludingThoseShownLater) {
    ASSERT_NE(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), nullptr);
    QtActivationPolicy policy;
    policy.setTrayIconShown([] { return true; });
    QWidget shownBefore;
    shownBefore.show();
    EXPECT_FALSE(skipsTaskbar(shownBefore));

    policy.setActivationPolicy(Policy::accessory);
    EXPECT_TRUE(skipsTaskbar(shownBefore));
    QWidget shownAfter;
    shownAfter.show();
    EXPECT_TRUE(skipsTaskbar(shownAfter)) << "the policy holds for windows created after it was set";
    QWidget tool(nullptr, Qt::Tool);
    tool.show();
    EXPECT_FALSE(skipsTaskbar(tool)) << "only ordinary windows are touched";

    policy.setActivationPolicy(Policy::regular);
    EXPECT_FALSE(skipsTaskbar(shownBefore));
    EXPECT_FALSE(skipsTaskbar(shownAfter));
}

namespace {
// Notes, as its close begins, whether closing it would quit: by then the policy must have asked the tray.
class ClosingWindow final : public QWidget {
public:
    bool quitsOnClose = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        quitsOnClose = QGuiApplication::quitOnLastWindowClosed();
        QWidget::closeEvent(event);
    }
};
}  // namespace

// Without a tray icon on show, a window without a taskbar entry could be neither restored once minimised nor
// found once closed: the entry stays and closing quits, until the icon is there, and again once it goes.
TEST(QtActivationPolicyX11, WithoutATrayIconWindowsKeepTheirTaskbarEntryAndClosingQuits) {
    ASSERT_NE(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), nullptr);
    bool trayShown = false;
    QtActivationPolicy policy;
    policy.setTrayIconShown([&] { return trayShown; });
    policy.setActivationPolicy(Policy::accessory);
    ClosingWindow window;
    window.show();
    EXPECT_FALSE(skipsTaskbar(window));
    EXPECT_EQ(policy.effectivePolicy(), Policy::regular);
    EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());

    trayShown = true;
    policy.trayIconMayHaveChanged();
    EXPECT_TRUE(skipsTaskbar(window));
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());

    // The tray went (its panel restarted, say): the next minimise or close finds out.
    trayShown = false;
    window.showMinimized();
    EXPECT_FALSE(skipsTaskbar(window)) << "minimised, it is still in the taskbar";
    window.showNormal();
    window.close();
    EXPECT_TRUE(window.quitsOnClose);

    trayShown = true;
    window.show();
    EXPECT_TRUE(skipsTaskbar(window)) << "shown again with the tray back";
    window.close();
    EXPECT_FALSE(window.quitsOnClose) << "it lives on in the tray";
    policy.setActivationPolicy(Policy::regular);
}
