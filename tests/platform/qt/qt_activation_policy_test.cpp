#include "platform/qt/qt_activation_policy.hpp"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QWidget>

using clicktrove::platform::QtActivationPolicy;
using Policy = clicktrove::platform::ActivationPolicy::Policy;

TEST(QtActivationPolicy, AccessoryKeepsTheApplicationAliveWhenItsLastWindowClosesWhileTheTrayIconShows) {
    QtActivationPolicy policy;
    bool trayShown = true;
    policy.setTrayIconShown([&] { return trayShown; });
    QWidget window;
    window.show();  // an existing window must not stop the switch (the offscreen platform has no taskbar)
    const struct {
        Policy policy;
        bool trayShown;
        bool quits;
    } steps[] = {
        {Policy::accessory, true, false},
        {Policy::regular, true, true},
        {Policy::accessory, true, false},
        // Nothing to come back by: closing the window ends the program rather than leaving it out of reach.
        {Policy::accessory, false, true},
    };
    for (const auto& step : steps) {
        trayShown = step.trayShown;
        policy.setActivationPolicy(step.policy);
        EXPECT_EQ(policy.policy(), step.policy);
        EXPECT_EQ(QGuiApplication::quitOnLastWindowClosed(), step.quits);
    }
    policy.setActivationPolicy(Policy::regular);
}
