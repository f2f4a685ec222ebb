// A real-time thread that runs past its RLIMIT_RTTIME soft limit: demoted to normal scheduling, told once on the
// standard error and in the system log, and the process lives on, in a child under a small limit.
#include "platform/realtime_overrun_guard.hpp"
#include "platform/thread_priority.hpp"
#include "support/real_time.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using clicktrove::platform::RealTimeOverrunGuard;
using clicktrove::testing::burnCpu;
using clicktrove::testing::callingThreadPolicy;

namespace {

// Exit codes of the child, so that a failure says which check it was.
enum Outcome { demoted = 0, noRealTime = 2, stillRealTime = 3, toldOnStderr = 4, notInTheLog = 5, setUp = 6 };

// Threads one after another that take real time as the program's timing threads do and then never sleep: each
// must be back at normal scheduling after 200 ms of CPU. The second overruns after the first one's SIGXCPU, which
// raised the soft limit.
int overrunOneAfterAnother(rlimit budget, const std::string& scratch) {
    const std::string stderrFile = scratch + "/stderr";
    const std::string logSocket = scratch + "/log";
    const int log = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", logSocket.c_str());
    if (log < 0 || ::bind(log, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return setUp;
    const int captured = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (captured < 0 || ::dup2(captured, STDERR_FILENO) < 0) return setUp;
    if (::setrlimit(RLIMIT_RTTIME, &budget) != 0) return setUp;
    RealTimeOverrunGuard::install(logSocket);

    for (int round = 0; round < 2; ++round) {
        Outcome outcome = demoted;
        std::thread([&] {
            clicktrove::platform::raiseCurrentThreadPriority();
            if (callingThreadPolicy() != SCHED_RR) {
                outcome = noRealTime;
                return;
            }
            burnCpu(200ms);
            if (callingThreadPolicy() != SCHED_OTHER) outcome = stillRealTime;
        }).join();
        if (outcome != demoted) return outcome;
    }

    std::fflush(stderr);
    char text[8192] = {};
    const int readBack = ::open(stderrFile.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t length = ::read(readBack, text, sizeof text - 1);
    const std::string said(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    const auto first = said.find(RealTimeOverrunGuard::notice());
    if (first == std::string::npos || said.find(RealTimeOverrunGuard::notice(), first + 1) != std::string::npos) {
        return toldOnStderr;
    }
    char line[1024] = {};
    const ssize_t received = ::recv(log, line, sizeof line - 1, MSG_DONTWAIT);
    const std::string logged(line, received > 0 ? static_cast<std::size_t>(received) : 0);
    if (logged.rfind("<12>", 0) != 0 || logged.find(RealTimeOverrunGuard::notice()) == std::string::npos) {
        return notInTheLog;
    }
    if (::recv(log, line, sizeof line - 1, MSG_DONTWAIT) > 0) return notInTheLog;
    return demoted;
}

class RealTimeOverrun : public ::testing::TestWithParam<rlimit> {};

TEST_P(RealTimeOverrun, DemotesTheThreadThatOverranAndTheProcessLivesOn) {
    if (!clicktrove::testing::threadsMayRunRealTime()) GTEST_SKIP() << "this process may not run threads at real-time priority";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char scratch[] = "/tmp/clicktrove-overrun-XXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    const rlimit budget = GetParam();
    // Killed by SIGKILL when the thread reaches the hard limit still at real time, or by SIGXCPU unhandled.
    EXPECT_EXIT(std::exit(overrunOneAfterAnother(budget, scratch)), ::testing::ExitedWithCode(demoted), "");
    std::filesystem::remove_all(scratch);
}

INSTANTIATE_TEST_SUITE_P(Limits, RealTimeOverrun,
                         ::testing::Values(rlimit{20'000, 2'000'000},
                                           // Equal limits: without room below the hard limit no SIGXCPU comes first.
                                           rlimit{20'000, 20'000}),
                         [](const auto& info) {
                             return "Soft" + std::to_string(info.param.rlim_cur / 1000) + "msHard" +
                                    std::to_string(info.param.rlim_max / 1000) + "ms";
                         });

}  // namespace
