// The RealtimeKit client on a private bus that stands for the system bus: against a stand-in service that
// checks what the real one checks, against no service, without a bus, on a bus that hangs or drops the connection,
// and against the real rtkit-daemon (with polkitd beside it) where both are installed.
#include "platform/fake/fake_scheduling_system.hpp"
#include "platform/linux_scheduling_system.hpp"
#include "platform/sd_bus_realtime_kit.hpp"
#include "platform/thread_priority.hpp"
#include "realtime_kit_stand_in.hpp"
#include "support/child_process.hpp"
#include "support/scoped_env.hpp"
#include "support/system_bus.hpp"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <thread>

namespace {

using clicktrove::platform::LinuxSchedulingSystem;
using clicktrove::platform::raiseCurrentThreadPriority;
using clicktrove::platform::RealtimeKit;
using clicktrove::platform::SdBusRealtimeKit;
using clicktrove::platform::ThreadPriority;
using namespace std::chrono_literals;
using clicktrove::testing::RealtimeKitStandIn;
using Limit = clicktrove::platform::SchedulingSystem::Limit;

// The real system calls for the budget and the thread, but nothing the process could take by itself: as a
// desktop user without limits or capabilities, whoever runs the test.
class NothingAllowedDirectly final : public clicktrove::platform::SchedulingSystem {
public:
    Limit realTimePriorityLimit() override { return {0, 0}; }
    Limit niceLimit() override { return {0, 0}; }
    Limit realTimeBudgetLimit() override { return real_.realTimeBudgetLimit(); }
    bool setRealTimeBudgetLimit(const Limit& limit) override { return real_.setRealTimeBudgetLimit(limit); }
    bool mayRaiseAnyPriority() override { return false; }
    bool setRealTime(int) override { return false; }
    std::optional<int> niceValue() override { return real_.niceValue(); }
    bool setNiceValue(int) override { return false; }
    std::uint64_t threadId() override { return real_.threadId(); }

private:
    LinuxSchedulingSystem real_;
};

// Puts the process's RLIMIT_RTTIME back as far as it may (raising a hard limit needs privileges).
class KeepRealTimeBudget {
public:
    KeepRealTimeBudget() { ::getrlimit(RLIMIT_RTTIME, &saved_); }
    ~KeepRealTimeBudget() { ::setrlimit(RLIMIT_RTTIME, &saved_); }

private:
    rlimit saved_{};
};

struct Raised {
    ThreadPriority priority;
    std::uint64_t thread = 0;
    int policy = -1;
};

// The selection on a thread of its own, with the RealtimeKit on the bus; what the thread then runs at.
Raised raiseOnNewThread() {
    Raised raised;
    std::thread([&] {
        NothingAllowedDirectly system;
        SdBusRealtimeKit realtimeKit;
        raised.priority = raiseThreadPriority(system, realtimeKit);
        raised.thread = system.threadId();
        raised.policy = ::sched_getscheduler(0) & ~SCHED_RESET_ON_FORK;
    }).join();
    return raised;
}

class RealtimeKitOnTheSystemBus : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus_.start()); }

    KeepRealTimeBudget budget_;
    clicktrove::testing::SystemBus bus_;
};

TEST_F(RealtimeKitOnTheSystemBus, ReadsTheLimitsAndAsksForTheCallingThreadOnceTheBudgetIsWithinThem) {
    RealtimeKitStandIn service({});
    ASSERT_TRUE(service.start());
    SdBusRealtimeKit realtimeKit;
    const auto limits = realtimeKit.limits();
    ASSERT_TRUE(limits);
    EXPECT_EQ(limits->maxRealtimePriority, 15);
    EXPECT_EQ(limits->minNiceLevel, -12);
    EXPECT_EQ(limits->rtTimeUSecMax, 150'000);

    const Raised raised = raiseOnNewThread();
    EXPECT_EQ(raised.priority.step, ThreadPriority::Step::realTimeThroughRealtimeKit);
    EXPECT_EQ(raised.priority.level, 10);
    const auto requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "MakeThreadRealtime");
    EXPECT_EQ(requests[0].thread, raised.thread);
    EXPECT_EQ(requests[0].level, 10);
    EXPECT_EQ(requests[0].caller, ::getpid());
    EXPECT_EQ(requests[0].budget, std::optional<std::uint64_t>(150'000)) << "the budget must be set before asking";
}

TEST_F(RealtimeKitOnTheSystemBus, RefusedRealTimeAsksForAHighPriorityAndKeepsTheReason) {
    RealtimeKitStandIn service({.grantsRealTime = false});
    ASSERT_TRUE(service.start());
    const Raised raised = raiseOnNewThread();
    EXPECT_EQ(raised.priority.step, ThreadPriority::Step::niceThroughRealtimeKit);
    EXPECT_EQ(raised.priority.level, -10);
    EXPECT_NE(raised.priority.realtimeKitRefusal.find("AccessDenied"), std::string::npos)
        << raised.priority.realtimeKitRefusal;
    const auto requests = service.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "MakeThreadHighPriority");
    EXPECT_EQ(requests[1].thread, raised.thread);
    EXPECT_EQ(requests[1].level, -10);
}

TEST_F(RealtimeKitOnTheSystemBus, NoServiceAndNoBusAreBothAbsentNotRefusals) {
    {
        SdBusRealtimeKit realtimeKit;
        EXPECT_FALSE(realtimeKit.limits());
        EXPECT_EQ(realtimeKit.makeThreadRealtime(1, 1).kind, RealtimeKit::Answer::Kind::unavailable);
    }
    clicktrove::testing::ScopedEnv noBus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/clicktrove-no-bus");
    SdBusRealtimeKit realtimeKit;
    EXPECT_FALSE(realtimeKit.limits());
    const auto answer = realtimeKit.makeThreadHighPriority(1, -1);
    EXPECT_EQ(answer.kind, RealtimeKit::Answer::Kind::unavailable);
    EXPECT_NE(answer.reason.find("no system bus"), std::string::npos) << answer.reason;
    EXPECT_EQ(raiseOnNewThread().priority.step, ThreadPriority::Step::none);
}

// Runs `work` on a new thread that may not take real time by itself, whoever runs the test: CAP_SYS_NICE is out of
// its effective set (capabilities belong to a thread, and threads it starts inherit them) and the process's
// RLIMIT_RTPRIO soft limit is 0 meanwhile. Returns the thread's id.
template <typename Work>
std::uint64_t onThreadWithoutRightsOfItsOwn(Work work) {
    rlimit rtprio{};
    ::getrlimit(RLIMIT_RTPRIO, &rtprio);
    const rlimit none{0, rtprio.rlim_max};
    ::setrlimit(RLIMIT_RTPRIO, &none);
    std::uint64_t id = 0;
    std::thread([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
        ::syscall(SYS_capget, &header, caps);
        caps[CAP_TO_INDEX(CAP_SYS_NICE)].effective &= ~CAP_TO_MASK(CAP_SYS_NICE);
        ::syscall(SYS_capset, &header, caps);
        id = LinuxSchedulingSystem().threadId();
        work();
    }).join();
    ::setrlimit(RLIMIT_RTPRIO, &rtprio);
    return id;
}

// A socket that DBUS_SYSTEM_BUS_ADDRESS points at and that never speaks D-Bus: a hung bus leaves connections
// waiting in its backlog, a broken one accepts them and closes them at once.
class BusThatNeverAnswers {
public:
    enum class Behaviour { hangs, dropsConnections };

    explicit BusThatNeverAnswers(Behaviour behaviour) {
        const std::string name = "clicktrove-test-silent-bus-" + std::to_string(::getpid());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        ready_ =
            ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(listener_, 8) == 0;
        env_.set(("unix:abstract=" + name).c_str());
        if (behaviour != Behaviour::dropsConnections) return;
        dropper_ = std::thread([this] {
            while (!stop_) {
                pollfd pending{listener_, POLLIN, 0};
                if (::poll(&pending, 1, 20) <= 0) continue;
                const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (connection >= 0) ::close(connection);
            }
        });
    }
    BusThatNeverAnswers(const BusThatNeverAnswers&) = delete;
    BusThatNeverAnswers& operator=(const BusThatNeverAnswers&) = delete;
    ~BusThatNeverAnswers() {
        stop_ = true;
        if (dropper_.joinable()) dropper_.join();
        hangUp();
    }

    bool ready() const { return ready_; }
    // Whether a client has connected and waits to be accepted, within `timeout`.
    bool hasWaitingClient(std::chrono::milliseconds timeout) const {
        pollfd pending{listener_, POLLIN, 0};
        return ::poll(&pending, 1, static_cast<int>(timeout.count())) == 1;
    }
    // Closes the socket: the connections waiting in it break.
    void hangUp() {
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
    }

private:
    clicktrove::testing::ScopedEnv env_{"DBUS_SYSTEM_BUS_ADDRESS"};
    int listener_ = -1;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread dropper_;
};

TEST(RealtimeKitOnABrokenSystemBus, IsAbsentAndTheRealTimeLimitIsLeftAsItWas) {
    BusThatNeverAnswers bus(BusThatNeverAnswers::Behaviour::dropsConnections);
    ASSERT_TRUE(bus.ready());
    SdBusRealtimeKit realtimeKit;
    EXPECT_FALSE(realtimeKit.limits());

    // The process's own limit may already be lowered by an earlier test: a stand-in keeps count instead.
    clicktrove::platform::FakeSchedulingSystem system;
    system.realTimeBudget = {std::nullopt, std::nullopt};
    const ThreadPriority priority = raiseThreadPriority(system, realtimeKit);
    EXPECT_EQ(priority.step, ThreadPriority::Step::none);
    EXPECT_EQ(priority.realtimeKitRefusal, "not running");
    EXPECT_TRUE(system.budgetsSet.empty()) << "a hard limit lowered for nothing cannot be raised again";
}

TEST(RealtimeKitOnABrokenSystemBus, AHungBusNeverHoldsUpTheThreadThatAsksForPriority) {
    BusThatNeverAnswers bus(BusThatNeverAnswers::Behaviour::hangs);
    ASSERT_TRUE(bus.ready());
    std::promise<void> returned;
    auto hasReturned = returned.get_future();
    std::future<void> asking = std::async(std::launch::async, [&] {
        onThreadWithoutRightsOfItsOwn([&] {
            raiseCurrentThreadPriority();
            returned.set_value();
        });
    });
    // A connection to the hung bus waits for an answer for 90 s.
    ASSERT_TRUE(bus.hasWaitingClient(10s)) << "nobody asked the system bus";
    EXPECT_EQ(hasReturned.wait_for(10s), std::future_status::ready) << "the thread waits for the hung bus";
    bus.hangUp();
    asking.wait();
}

TEST_F(RealtimeKitOnTheSystemBus, IsAskedOnBehalfOfTheThreadThatRaisesItself) {
    RealtimeKitStandIn service({});
    ASSERT_TRUE(service.start());
    const std::uint64_t thread = onThreadWithoutRightsOfItsOwn([&] {
        raiseCurrentThreadPriority();
        // Alive until the service has heard of it: it checks that the thread is one of the caller's.
        for (int i = 0; i < 500 && service.requests().empty(); ++i) std::this_thread::sleep_for(20ms);
    });
    const auto requests = service.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].method, "MakeThreadRealtime");
    EXPECT_EQ(requests[0].thread, thread);
    EXPECT_EQ(requests[0].budget, std::optional<std::uint64_t>(150'000));
}

bool nameHasOwner(const char* name) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return false;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                           nullptr, &reply, "s", name) >= 0) {
        sd_bus_message_read(reply, "b", &owned);
    }
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return owned != 0;
}

bool waitForName(const char* name) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        if (nameHasOwner(name)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

constexpr const char* kPolkitd = "/usr/lib/polkit-1/polkitd";
constexpr const char* kRtkitDaemon = "/usr/libexec/rtkit-daemon";

TEST_F(RealtimeKitOnTheSystemBus, TheRealServiceMakesTheThreadRealTime) {
    if (!std::filesystem::exists(kRtkitDaemon) || !std::filesystem::exists(kPolkitd)) {
        GTEST_SKIP() << "rtkit-daemon or polkitd is not installed (packages rtkit and polkitd)";
    }
    // It says "Need to be run as root." and ends; as root, polkit lets the caller (root too) have real time.
    if (::geteuid() != 0) GTEST_SKIP() << "rtkit-daemon runs only as root";
    // The daemon asks polkit whether the caller may have real time. Their output goes nowhere: rtkit-daemon limits
    // its own file size to 0, and writing to a file would kill it.
    clicktrove::testing::ChildProcess polkit, rtkit;
    ASSERT_TRUE(polkit.start({"sh", "-c", std::string("exec ") + kPolkitd + " --no-debug >/dev/null 2>&1"}));
    if (!waitForName("org.freedesktop.PolicyKit1")) GTEST_SKIP() << "polkitd does not run here";
    // No canary: its watchdog would demote real-time threads of other tests on a loaded machine.
    ASSERT_TRUE(rtkit.start({"sh", "-c", std::string("exec ") + kRtkitDaemon + " --no-canary >/dev/null 2>&1"}));
    if (!waitForName("org.freedesktop.RealtimeKit1")) GTEST_SKIP() << "rtkit-daemon does not run here";

    const Raised raised = raiseOnNewThread();
    EXPECT_EQ(raised.priority.step, ThreadPriority::Step::realTimeThroughRealtimeKit)
        << raised.priority.realtimeKitRefusal;
    EXPECT_EQ(raised.priority.level, 10);
    EXPECT_EQ(raised.policy, SCHED_RR);
}

}  // namespace
