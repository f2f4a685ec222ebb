#include "platform/x11/x11_input_permission.hpp"
#include "support/xvfb_server.hpp"

#include <gtest/gtest.h>
#include <cstdlib>
#include <optional>
#include <string>

using clicktrove::platform::X11InputPermission;
using clicktrove::testing::XvfbServer;

namespace {
class DisplayEnv {
public:
    DisplayEnv() {
        if (const char* d = std::getenv("DISPLAY")) saved_ = d;
    }
    ~DisplayEnv() {
        if (saved_) {
            ::setenv("DISPLAY", saved_->c_str(), 1);
        } else {
            ::unsetenv("DISPLAY");
        }
    }
    void set(const char* value) {
        if (value) {
            ::setenv("DISPLAY", value, 1);
        } else {
            ::unsetenv("DISPLAY");
        }
    }

private:
    std::optional<std::string> saved_;
};
}  // namespace

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
    DisplayEnv env;
    for (const char* display : {static_cast<const char*>(nullptr), "", ":4711", "not a display"}) {
        env.set(display);
        EXPECT_FALSE(permission.inputMayBePosted()) << (display ? display : "(unset)");
    }
}
