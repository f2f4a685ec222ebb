// The main of every test executable. The label decides what its tests share for the whole process:
// x11 tests one private X server (started before the Qt application so Qt connects to it), dbus tests one
// private session bus, Qt builds one QApplication (offscreen unless the tests need the X server).
// Every process runs in a sandbox of its own (temporary folder, stand-in home, fonts, locale, time zone) and
// fails when a test left a file behind outside its temporary home.
#include "support/process_sandbox.hpp"
#include "support/session_bus.hpp"
#include "support/xvfb_server.hpp"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#ifdef CLICKTROVE_TEST_WITH_QT
#include <QApplication>
#include <QSettings>
#include <QString>
#endif

namespace {

// Runs the tests with the servers and the application object of the label; they are all gone on return, so
// nothing they leave behind escapes the check that follows.
int runTests(int argc, char** argv, const clicktrove::testing::ProcessSandbox& sandbox) {
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
    // Nor the machine's system bus: its RealtimeKit would raise the test's threads.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/clicktrove-test-system-bus", 1);

#ifdef CLICKTROVE_TEST_WITH_QT
    // Qt reads the settings folder once per process, so a file dialog would save its state at exit into the
    // first test's temporary home, long deleted by then. The process keeps one folder for it instead.
    const QString qtSettings = QString::fromStdString(sandbox.qtSettingsDir().string());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qtSettings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qtSettings);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
#else
    (void)argc;
    (void)argv;
    (void)sandbox;
    return RUN_ALL_TESTS();
#endif
}

}  // namespace

int main(int argc, char** argv) {
    bool listing = false;
    // The child a death test starts runs inside its parent's sandbox, servers and environment, and ends without
    // returning here: a sandbox of its own would be left behind in the parent's.
    bool deathTestChild = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) listing = true;
        if (std::strncmp(argv[i], "--gtest_internal_run_death_test", 31) == 0) deathTestChild = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (listing || deathTestChild) return RUN_ALL_TESTS();

    clicktrove::testing::ProcessSandbox sandbox;
    if (!sandbox.isReady()) {
        std::fprintf(stderr, "test main: could not make the process's sandbox folder\n");
        return 1;
    }
    if (!std::filesystem::is_directory(clicktrove::testing::ProcessSandbox::kFontDir)) {
        std::fprintf(stderr, "test main: %s is missing (scripts/install-deps installs fonts-dejavu-core)\n",
                     clicktrove::testing::ProcessSandbox::kFontDir);
    }
    int result = runTests(argc, argv, sandbox);

    const auto leftovers = sandbox.leftovers();
    if (!leftovers.empty()) {
        std::fprintf(stderr, "test main: the tests left files outside their temporary homes:\n");
        for (const auto& path : leftovers) std::fprintf(stderr, "  %s\n", path.c_str());
        result = 1;
    }
    return result;
}
