// Which scheduling a timing thread ends up with, for each combination of limits, capability and RealtimeKit's
// answer, on stand-ins for the system calls and the service.
#include "platform/thread_priority.hpp"
#include "platform/fake/fake_realtime_kit.hpp"
#include "platform/fake/fake_scheduling_system.hpp"
#include "platform/thread_id_lease.hpp"

#include <gtest/gtest.h>
#include <functional>
#include <string>

namespace {

using clicktrove::platform::FakeRealtimeKit;
using clicktrove::platform::FakeSchedulingSystem;
using clicktrove::platform::ThreadIdLease;
using clicktrove::platform::ThreadPriority;
using Limit = clicktrove::platform::SchedulingSystem::Limit;
using Request = FakeRealtimeKit::Request;
using Step = ThreadPriority::Step;

constexpr std::uint64_t kThread = 4242;
const Limit kUnlimited{std::nullopt, std::nullopt};
// RealtimeKit's own RTTimeUSecMax as the hard limit, with a soft one at half of it (the room to be demoted in).
const Limit kServiceBudget{100'000, 200'000};

struct Case {
    const char* name;
    std::function<void(FakeSchedulingSystem&, FakeRealtimeKit&)> arrange;
    Step step;
    int level;
    std::vector<Request> asked;
    // RLIMIT_RTTIME afterwards.
    Limit budget;
};

const Case kCases[] = {
    {"CapabilityAloneGivesRealTimeDirectly",
     [](auto& system, auto&) { system.capSysNice = true; },
     Step::realTime,
     10,
     {},
     kUnlimited},
    {"AHardRealTimeBudgetTheProcessHasGetsASoftLimitAtHalfOfIt",
     [](auto& system, auto&) {
         system.realTimePriority = {5, 5};
         system.realTimeBudget = {20'000, 20'000};
     },
     Step::realTime,
     5,
     {},
     Limit{10'000, 20'000}},
    {"RealTimeLimitCapsThePriority",
     [](auto& system, auto&) {
         system.realTimePriority = {5, 5};
     },
     Step::realTime,
     5,
     {},
     kUnlimited},
    {"AGenerousRealTimeLimitStillTakesALowPriority",
     [](auto& system, auto&) {
         system.realTimePriority = {99, 99};
     },
     Step::realTime,
     10,
     {},
     kUnlimited},
    {"AnUnlimitedRealTimeLimitTakesALowPriority",
     [](auto& system, auto&) { system.realTimePriority = kUnlimited; },
     Step::realTime,
     10,
     {},
     kUnlimited},
    {"NothingAllowedAsksRealtimeKitAfterSettingItsBudget",
     [](auto& system, auto&) { system.realTimeBudget = kUnlimited; },
     Step::realTimeThroughRealtimeKit,
     10,
     {{Request::Kind::realTime, kThread, 10}},
     kServiceBudget},
    {"AKernelThatRefusesDespiteTheCapabilityFallsToRealtimeKit",
     [](auto& system, auto&) {
         system.capSysNice = true;
         system.kernelRefusesRealTime = true;
     },
     Step::realTimeThroughRealtimeKit,
     10,
     {{Request::Kind::realTime, kThread, 10}},
     kServiceBudget},
    {"RealtimeKitsOwnMaximumCapsThePriority",
     [](auto& system, auto& kit) {
         system.realTimeBudget = kUnlimited;
         kit.offered.maxRealtimePriority = 4;
     },
     Step::realTimeThroughRealtimeKit,
     4,
     {{Request::Kind::realTime, kThread, 4}},
     kServiceBudget},
    {"ABudgetAlreadyWithinTheServicesMaximumIsKept",
     [](auto& system, auto&) {
         system.realTimeBudget = {50'000, 100'000};
     },
     Step::realTimeThroughRealtimeKit,
     10,
     {{Request::Kind::realTime, kThread, 10}},
     Limit{50'000, 100'000}},
    {"AnEqualSoftBudgetWithinTheServicesMaximumIsHalved",
     [](auto& system, auto&) {
         system.realTimeBudget = {100'000, 100'000};
     },
     Step::realTimeThroughRealtimeKit,
     10,
     {{Request::Kind::realTime, kThread, 10}},
     Limit{50'000, 100'000}},
    {"ALowerSoftBudgetIsKeptUnderTheNewHardOne",
     [](auto& system, auto&) {
         system.realTimeBudget = {50'000, std::nullopt};
     },
     Step::realTimeThroughRealtimeKit,
     10,
     {{Request::Kind::realTime, kThread, 10}},
     Limit{50'000, 200'000}},
    {"RealTimeRefusedAsksForAHighPriorityInstead",
     [](auto& system, auto& kit) {
         system.realTimeBudget = kUnlimited;
         kit.grantsRealTime = false;
     },
     Step::niceThroughRealtimeKit,
     -10,
     {{Request::Kind::realTime, kThread, 10}, {Request::Kind::highPriority, kThread, -10}},
     kServiceBudget},
    {"ANarrowNiceRangeOfRealtimeKitIsRespected",
     [](auto& system, auto& kit) {
         kit.grantsRealTime = false;
         kit.offered.minNiceLevel = -5;
         system.realTimeBudget = {200'000, 200'000};
     },
     Step::niceThroughRealtimeKit,
     -5,
     {{Request::Kind::realTime, kThread, 10}, {Request::Kind::highPriority, kThread, -5}},
     kServiceBudget},
    {"ARealtimeKitWithoutRealTimeIsAskedOnlyForAHighPriority",
     [](auto& system, auto& kit) {
         system.realTimeBudget = kUnlimited;
         kit.offered.maxRealtimePriority = 0;
     },
     Step::niceThroughRealtimeKit,
     -10,
     {{Request::Kind::highPriority, kThread, -10}},
     kUnlimited},
    {"ARealtimeKitBudgetTooShortForTheSpinBoundIsNotTakenUp",
     [](auto& system, auto& kit) {
         system.realTimeBudget = kUnlimited;
         // Its soft half, 30 ms, would leave the spin bound a quarter of that: less than its full length.
         kit.offered.rtTimeUSecMax = 60'000;
     },
     Step::niceThroughRealtimeKit,
     -10,
     {{Request::Kind::highPriority, kThread, -10}},
     kUnlimited},
    {"BothRefusedFallsToTheNiceLimit",
     [](auto& system, auto& kit) {
         system.nice = {25, 25};
         kit.grantsRealTime = kit.grantsHighPriority = false;
     },
     Step::nice,
     -5,
     {{Request::Kind::realTime, kThread, 10}, {Request::Kind::highPriority, kThread, -10}},
     kServiceBudget},
    {"NoRealtimeKitFallsToTheNiceLimitWithinTheBestValue",
     [](auto& system, auto& kit) {
         system.nice = {40, 40};
         kit.running = false;
     },
     Step::nice,
     -10,
     {},
     Limit{}},
    {"NoRealtimeKitWithTheCapabilityButARefusingKernelTakesANiceValue",
     [](auto& system, auto& kit) {
         system.capSysNice = true;
         system.kernelRefusesRealTime = true;
         kit.running = false;
     },
     Step::nice,
     -10,
     {},
     Limit{}},
    {"NothingGrantedKeepsTheThreadAsItIs",
     [](auto&, auto& kit) { kit.grantsRealTime = kit.grantsHighPriority = false; },
     Step::none,
     0,
     {{Request::Kind::realTime, kThread, 10}, {Request::Kind::highPriority, kThread, -10}},
     kServiceBudget},
    {"NothingThereAtAllKeepsTheThreadAsItIs",
     [](auto&, auto& kit) { kit.running = false; },
     Step::none,
     0,
     {},
     Limit{}},
    {"ANiceLimitThatAllowsNoRaiseChangesNothing",
     [](auto& system, auto& kit) {
         system.nice = {20, 20};
         kit.running = false;
     },
     Step::none,
     0,
     {},
     Limit{}},
};

class ThreadPrioritySelection : public ::testing::TestWithParam<Case> {};

TEST_P(ThreadPrioritySelection, TakesTheFirstStepThatIsGranted) {
    const Case& c = GetParam();
    FakeSchedulingSystem system;
    system.thread = kThread;
    FakeRealtimeKit kit(system);
    c.arrange(system, kit);

    const ThreadPriority got = raiseThreadPriority(system, kit);

    EXPECT_EQ(got.step, c.step);
    EXPECT_EQ(got.level, c.level);
    EXPECT_EQ(kit.requests, c.asked);
    EXPECT_EQ(system.realTimeBudget, c.budget);
    // What the thread really got agrees with what is reported.
    const bool realTime = c.step == Step::realTime;
    EXPECT_EQ(system.realTimePriorityGot, realTime ? c.level : 0);
    EXPECT_EQ(system.currentNice, c.step == Step::nice ? c.level : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ThreadPrioritySelection, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ThreadPriorityReport, SaysWhyRealtimeKitGaveNothingAndHowToGrantIt) {
    FakeSchedulingSystem system;
    FakeRealtimeKit kit(system);
    kit.grantsRealTime = kit.grantsHighPriority = false;
    const std::string refused = describe(raiseThreadPriority(system, kit));
    EXPECT_NE(refused.find("normal priority"), std::string::npos) << refused;
    EXPECT_NE(refused.find("AccessDenied"), std::string::npos) << refused;
    EXPECT_NE(refused.find("rtkit"), std::string::npos) << refused;
    EXPECT_NE(refused.find("ulimit -r"), std::string::npos) << refused;

    kit.running = false;
    const std::string absent = describe(raiseThreadPriority(system, kit));
    EXPECT_NE(absent.find("RealtimeKit: not running"), std::string::npos) << absent;
}

// The requests RealtimeKit answers slowly are made on the thread's behalf by another thread; meanwhile the thread
// may end and its id go to another thread.
TEST(ThreadPriorityOnBehalf, AsksForTheThreadWhileItLives) {
    FakeSchedulingSystem target;
    target.thread = kThread;
    FakeRealtimeKit kit(target);
    ThreadIdLease lease(kThread);
    const auto outcome = raiseThreadPriorityOnBehalf(lease, target, kit);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->step, Step::realTimeThroughRealtimeKit);
    EXPECT_EQ(kit.requests, (std::vector<Request>{{Request::Kind::realTime, kThread, 10}}));
}

TEST(ThreadPriorityOnBehalf, AThreadThatEndedWhileTheBusWasSlowIsNeverNamed) {
    for (const bool grantsRealTime : {true, false}) {
        SCOPED_TRACE(grantsRealTime ? "real time offered" : "only a nice value offered");
        FakeSchedulingSystem target;
        target.thread = kThread;
        target.nice = {40, 40};
        FakeRealtimeKit kit(target);
        kit.grantsRealTime = grantsRealTime;
        ThreadIdLease lease(kThread);
        kit.whileAskedForLimits = [&] { lease.end(); };
        EXPECT_FALSE(raiseThreadPriorityOnBehalf(lease, target, kit));
        EXPECT_TRUE(kit.requests.empty());
        EXPECT_TRUE(target.budgetsSet.empty());
        EXPECT_EQ(target.currentNice, 0) << "the id may be a stranger's by now";
    }
}

}  // namespace
