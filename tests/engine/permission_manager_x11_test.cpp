#include "engine/permission_manager.hpp"
#include "permission_test_support.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_url_opener.hpp"
#include "platform/x11/x11_input_permission.hpp"
#include "support/scoped_env.hpp"
#include "support/wait_until.hpp"
#include "support/xvfb_server.hpp"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using clicktrove::PermissionManager;
using clicktrove::platform::FakeClock;
using clicktrove::platform::FakeUrlOpener;
using clicktrove::platform::X11InputPermission;
using clicktrove::testing::CountingMainQueue;
using clicktrove::testing::kAnswerSurelyComes;
using clicktrove::testing::Published;
using clicktrove::testing::runOnePoll;
using clicktrove::testing::ScopedEnv;
using clicktrove::testing::settleConstruction;
using clicktrove::testing::XvfbServer;

namespace {
// A TCP "X server" that takes connections and never answers them, as a hung server does. Closing it resets
// the connections waiting on it.
class SilentDisplay {
public:
    bool listen() {
        for (int n = 60; n < 100; ++n) {
            fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_port = htons(static_cast<std::uint16_t>(6000 + n));
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(fd_, 4) == 0) {
                display_ = "127.0.0.1:" + std::to_string(n);
                return true;
            }
            ::close(fd_);
            fd_ = -1;
        }
        return false;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    ~SilentDisplay() { close(); }
    const std::string& display() const { return display_; }

private:
    int fd_ = -1;
    std::string display_;
};

// The real check, counting the checks that have begun.
class StartedChecks final : public clicktrove::platform::InputPermission {
public:
    bool inputMayBePosted() override {
        ++started;
        return real_.inputMayBePosted();
    }
    bool waitForStarted(int count) const {
        return clicktrove::testing::waitUntil([&] { return started.load() >= count; });
    }
    std::atomic<int> started{0};

private:
    X11InputPermission real_;
};

}  // namespace

class PermissionManagerX11Test : public ::testing::Test {
protected:
    // Puts DISPLAY back as it was when the test began.
    ScopedEnv env{"DISPLAY"};
    FakeClock clock;
    CountingMainQueue queue{clock};
    FakeUrlOpener opener;
};

TEST_F(PermissionManagerX11Test, FlagFollowsADisplayThatAppearsAndDisappears) {
    ::unsetenv("DISPLAY");
    PermissionManager manager(std::make_shared<X11InputPermission>(), queue, opener, clock, nullptr,
                              kAnswerSurelyComes);
    Published published(manager);
    EXPECT_FALSE(manager.hasAccessibilityPermission());

    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.start());
    ASSERT_TRUE(runOnePoll(queue));
    EXPECT_TRUE(manager.hasAccessibilityPermission());
    ASSERT_TRUE(runOnePoll(queue));

    xvfb.stop();
    ASSERT_TRUE(runOnePoll(queue));
    EXPECT_FALSE(manager.hasAccessibilityPermission());
    ASSERT_TRUE(runOnePoll(queue));

    XvfbServer withoutXtest;
    ASSERT_TRUE(withoutXtest.start({.withXtest = false}));
    ASSERT_TRUE(runOnePoll(queue));
    EXPECT_FALSE(manager.hasAccessibilityPermission()) << "a display without XTEST takes no synthetic input";
    EXPECT_EQ(published.values, (std::vector<bool>{true, false}));
}

TEST_F(PermissionManagerX11Test, ADisplayThatNeverAnswersDoesNotBlockTheCaller) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.start());
    auto checks = std::make_shared<StartedChecks>();
    PermissionManager manager(checks, queue, opener, clock);
    ASSERT_TRUE(settleConstruction(queue));
    ASSERT_TRUE(manager.hasAccessibilityPermission());
    Published published(manager);

    SilentDisplay silent;
    ASSERT_TRUE(silent.listen());
    ::setenv("DISPLAY", silent.display().c_str(), 1);
    const int before = queue.postedSoFar();
    queue.advance(1s);  // the check connects and waits for an answer that never comes
    ASSERT_TRUE(checks->waitForStarted(2));
    manager.checkPermission();  // returns after its short wait
    queue.advance(5s);
    EXPECT_FALSE(manager.hasAccessibilityPermission());
    EXPECT_EQ(published.values, std::vector<bool>{false});

    // The waiting check fails now and says "no" again, as does the one checkPermission queued behind it:
    // nothing new to publish.
    silent.close();
    ASSERT_TRUE(queue.waitForPostsBeyond(before + 1));
    queue.drain();
    EXPECT_EQ(published.values, std::vector<bool>{false});
    ::setenv("DISPLAY", xvfb.display().c_str(), 1);
    ASSERT_TRUE(runOnePoll(queue));
    EXPECT_TRUE(manager.hasAccessibilityPermission());
}
