#include "support/child_process.hpp"

#include <gtest/gtest.h>
#include <cstdlib>

TEST(SessionBusFixture, TheProcessBusAnswers) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(
        clicktrove::testing::runCommand({"dbus-send", "--session", "--dest=org.freedesktop.DBus", "--type=method_call",
                                         "--print-reply", "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"}),
        0);
}
