#include "platform/x11/x11_input_permission.hpp"
#include "support/scoped_env.hpp"
#include "support/xvfb_server.hpp"

#include <gtest/gtest.h>

using clicktrove::platform::X11InputPermission;
using clicktrove::testing::ScopedEnv;
using clicktrove::testing::XvfbServer;

TEST(X11InputPermission, NeedsAReachableDisplayWithXtest) {
    X11InputPermission permission;
    {
        XvfbServer withXtest;
        ASSERT_TRUE(withXtest.start());
        EXPECT_TRUE(permission.inputMayBePosted());
    }
    {
        XvfbServer withoutXtest;
        ASSERT_TRUE(withoutXtest.start({.withXtest = false}));
        EXPECT_FALSE(permission.inputMayBePosted());
    }
    ScopedEnv env("DISPLAY");
    for (const char* display : {static_cast<const char*>(nullptr), "", ":4711", "not a display"}) {
        env.set(display);
        EXPECT_FALSE(permission.inputMayBePosted()) << (display ? display : "(unset)");
    }
}
