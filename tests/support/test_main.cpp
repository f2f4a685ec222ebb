// The main of every test executable. The label decides what its tests share for the whole process:
// x11 tests one private X server (started before the Qt application so Qt connects to it), dbus tests one
// private session bus, Qt builds one QApplication (offscreen unless the tests need the X server).
#include "support/session_bus.hpp"
#include "support/xvfb_server.hpp"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifdef CLICKTROVE_TEST_WITH_QT
#include <QApplication>
#endif

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) listing = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (listing) return RUN_ALL_TESTS();

    std::unique_ptr<clicktrove::testing::XvfbServer> xvfb;
    std::unique_ptr<clicktrove::testing::SessionBus> bus;
#if defined(CLICKTROVE_TEST_LABEL_X11)
    xvfb = std::make_unique<clicktrove::testing::XvfbServer>();
    if (!xvfb->start()) {
        std::fprintf(stderr, "test main: could not start Xvfb\n");
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
#else
    ::unsetenv("DISPLAY");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
#if defined(CLICKTROVE_TEST_LABEL_DBUS)
    bus = std::make_unique<clicktrove::testing::SessionBus>();
    if (!bus->start()) {
        std::fprintf(stderr, "test main: could not start dbus-daemon\n");
        return 1;
    }
#else
    // No test may reach the developer's own session bus.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/clicktrove-test-bus", 1);
#endif

#ifdef CLICKTROVE_TEST_WITH_QT
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
#else
    return RUN_ALL_TESTS();
#endif
}
