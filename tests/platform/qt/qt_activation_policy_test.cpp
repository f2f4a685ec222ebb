#include "platform/qt/qt_activation_policy.hpp"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QWidget>

using clicktrove::platform::QtActivationPolicy;
using Policy = clicktrove::platform::ActivationPolicy::Policy;

TEST(QtActivationPolicy, AccessoryKeepsTheApplicationAliveWhenItsLastWindowCloses) {
    QtActivationPolicy policy;
    QWidget window;
    window.show();  // an existing window must not stop the switch (the offscreen platform has no taskbar)
    for (const auto& [p, quits] :
         {std::pair{Policy::accessory, false}, std::pair{Policy::regular, true}, std::pair{Policy::accessory, false}}) {
        policy.setActivationPolicy(p);
        EXPECT_EQ(policy.policy(), p);
        EXPECT_EQ(QGuiApplication::quitOnLastWindowClosed(), quits);
    }
    policy.setActivationPolicy(Policy::regular);
}
