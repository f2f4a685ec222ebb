#include "support/xvfb_server.hpp"

#include <X11/Xlib.h>
#include <csignal>
#include <gtest/gtest.h>

using clicktrove::testing::XvfbServer;

TEST(XvfbFixture, EachServerIsReachableWhileItRunsAndGoneAfter) {
    XvfbServer server;
    ASSERT_TRUE(server.start());
    Display* display = XOpenDisplay(server.display().c_str());
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(DisplayWidth(display, DefaultScreen(display)), 1920);
    XCloseDisplay(display);
    const pid_t pid = server.pid();
    server.stop();
    // The display number may be taken at once by a test running in parallel, so check the process, not the name.
    EXPECT_FALSE(server.running());
    EXPECT_EQ(::kill(pid, 0), -1);
}
