#include "support/xvfb_server.hpp"

#include <X11/Xlib.h>
#include <gtest/gtest.h>

using clicktrove::testing::XvfbServer;

TEST(XvfbFixture, EachServerIsReachableWhileItRunsAndGoneAfter) {
    XvfbServer server;
    ASSERT_TRUE(server.start());
    Display* display = XOpenDisplay(server.display().c_str());
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(DisplayWidth(display, DefaultScreen(display)), 1920);
    XCloseDisplay(display);
    const std::string name = server.display();
    server.stop();
    EXPECT_EQ(XOpenDisplay(name.c_str()), nullptr);
}
