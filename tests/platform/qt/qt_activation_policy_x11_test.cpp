#include "platform/qt/qt_activation_policy.hpp"

#include "support/qt_window_taskbar_state.hpp"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QWidget>

using clicktrove::platform::QtActivationPolicy;
using clicktrove::testing::ClosingWindow;
using clicktrove::testing::skipsTaskbar;
using Policy = clicktrove::platform::ActivationPolicy::Policy;

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
