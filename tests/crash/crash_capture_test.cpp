// Real crashes, in a child process that starts crash reporting as the program does.
#include "crash/crash_report.hpp"
#include "crash/report_symbolizer.hpp"
#include "support/child_process.hpp"
#include "support/loopback_ingestion_server.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::crash {
namespace {

namespace fs = std::filesystem;
using clicktrove::testing::LoopbackIngestionServer;
using clicktrove::testing::readFile;

std::vector<fs::path> reportsIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".crash") found.push_back(entry.path());
    }
    return found;
}

// The first (innermost) frame whose function name contains the given text.
const CrashReport::Frame* firstFrameNamed(const CrashReport& report, const std::string& function) {
    for (const auto& frame : report.frames) {
        if (frame.function.find(function) != std::string::npos) return &frame;
    }
    return nullptr;
}

// The index of the first frame whose function is exactly the given one; the frame count when there is none.
std::size_t indexOfFrame(const CrashReport& report, const std::string& function) {
    std::size_t i = 0;
    while (i < report.frames.size() && report.frames[i].function != function) ++i;
    return i;
}

// The first line of each envelope's item headers, by item type.
std::vector<std::string> itemTypes(const std::vector<LoopbackIngestionServer::Request>& requests) {
    std::vector<std::string> types;
    for (const auto& request : requests) {
        const auto first = request.body.find('\n');
        const auto second = request.body.find('\n', first + 1);
        types.push_back(nlohmann::json::parse(request.body.substr(first + 1, second - first - 1)).value("type", ""));
    }
    std::sort(types.begin(), types.end());
    return types;
}

class CrashCaptureTest : public clicktrove::testing::TempHomeTest {
protected:
    int run(const std::string& how, const std::string& dsn = "") {
        std::vector<std::string> argv{CLICKTROVE_CRASH_CHILD, folder.string(), how};
        if (!dsn.empty()) argv.push_back(dsn);
        return clicktrove::testing::runCommandForWaitStatus(argv);
    }

    // The one report the crash left, read back; nothing (and the test failed) when there is not exactly one or
    // it does not read.
    std::optional<CrashReport> onlyReport() const {
        const auto reports = reportsIn(folder);
        EXPECT_EQ(reports.size(), 1u);
        if (reports.size() != 1) return std::nullopt;
        auto report = CrashReport::parse(readFile(reports[0]));
        EXPECT_TRUE(report) << readFile(reports[0]);
        return report;
    }

    fs::path folder = tempHome.stateHome() / "Clicktrove" / "crashes";
};

TEST_F(CrashCaptureTest, EachKindOfCrashLeavesOneReportThatNamesTheCrashingFunction) {
    struct Case {
        const char* how;
        int signal;
        const char* function;  // the function the crash happened in
        const char* thread;    // the crashing thread's name
    };
    for (const Case& c : {Case{"null-write", SIGSEGV, "crashByNullWrite", "crash_child"},
                          Case{"abort", SIGABRT, "crashByAbort", "crash_child"},
                          Case{"thread-throw", SIGABRT, "throwOutOfThread", "crash-worker"},
                          Case{"stack-overflow", SIGSEGV, "recurseForever", "crash_child"},
                          Case{"thread-overflow", SIGSEGV, "recurseForever", "crash-overflow"}}) {
        SCOPED_TRACE(c.how);
        fs::remove_all(folder);
        const int status = run(c.how);
        // The default action ran after the report: the process died of the signal itself.
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), c.signal);

        const auto reports = reportsIn(folder);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].filename().string().size(), std::string("20240101T000000Z.crash").size());
        auto report = CrashReport::parse(readFile(reports[0]));
        ASSERT_TRUE(report) << readFile(reports[0]);
        EXPECT_EQ(report->signal, c.signal);
        EXPECT_EQ(report->release, "crash-child@1.2.3");
        EXPECT_EQ(report->dist, "build-7");
        EXPECT_EQ(report->threadName, c.thread);
        ASSERT_FALSE(report->frames.empty());

        ReportSymbolizer::symbolize(*report);
        const CrashReport::Frame* crashing = firstFrameNamed(*report, c.function);
        ASSERT_NE(crashing, nullptr) << report->serialize();
        ASSERT_TRUE(crashing->module);
        const CrashReport::Module& program = report->modules[*crashing->module];
        EXPECT_EQ(fs::path(program.path), fs::canonical(CLICKTROVE_CRASH_CHILD));
        EXPECT_FALSE(program.buildId.empty());
        EXPECT_EQ(fs::path(crashing->file).filename(), "crash_child.cpp");
        EXPECT_GT(crashing->line, 0);
    }
}

TEST_F(CrashCaptureTest, AFaultReportsItsAddressAndTheFaultingFrameFirst) {
    ASSERT_TRUE(WIFSIGNALED(run("null-write")));
    auto report = onlyReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->faultAddress, 0u);
    EXPECT_EQ(report->code, SEGV_MAPERR);
    EXPECT_FALSE(report->terminate);
    ReportSymbolizer::symbolize(*report);
    EXPECT_EQ(report->frames.front().function, "(anonymous namespace)::crashByNullWrite()");
}

TEST_F(CrashCaptureTest, TheHandlerSavesTheStackAndTheNextStartWalksItFromThere) {
    ASSERT_TRUE(WIFSIGNALED(run("null-write")));
    auto report = onlyReport();
    ASSERT_TRUE(report);
    // The handler names the crashing instruction only and keeps what the walk needs.
    EXPECT_EQ(report->frames.size(), 1u);
    EXPECT_FALSE(report->registers.empty());
    ASSERT_TRUE(report->stack);
    EXPECT_FALSE(report->stack->bytes.empty());

    ReportSymbolizer::symbolize(*report);
    // The crashing function, then the one that called it, each in the program with its line.
    const std::size_t crashing = indexOfFrame(*report, "(anonymous namespace)::crashByNullWrite()");
    const std::size_t caller = indexOfFrame(*report, "main");
    EXPECT_EQ(crashing, 0u) << report->serialize();
    ASSERT_LT(caller, report->frames.size()) << report->serialize();
    EXPECT_GT(caller, crashing);
    EXPECT_EQ(fs::path(report->frames[caller].file).filename(), "crash_child.cpp");
    // The stack's contents are not kept once walked.
    EXPECT_TRUE(report->registers.empty());
    EXPECT_FALSE(report->stack);
    EXPECT_EQ(report->serialize().find("stack: "), std::string::npos);
}

// A handler that walked the stack itself would wait for ever here: every stack walker looks the code up through
// dl_iterate_phdr, whose lock the other thread keeps.
TEST_F(CrashCaptureTest, ACrashWhileAnotherThreadHoldsTheLoaderLockStillLeavesItsReport) {
    clicktrove::testing::ChildProcess child;
    ASSERT_TRUE(child.start({CLICKTROVE_CRASH_CHILD, folder.string(), "loader-locked"}));
    // Killed by a signal (-1) within the time, not still hanging.
    ASSERT_EQ(child.waitForExit(30000), std::optional<int>(-1));
    auto report = onlyReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->signal, SIGSEGV);
    ReportSymbolizer::symbolize(*report);
    EXPECT_NE(firstFrameNamed(*report, "crashByNullWrite"), nullptr) << report->serialize();
}

TEST_F(CrashCaptureTest, AnExceptionOutOfAThreadNamesItsTypeAndMessage) {
    ASSERT_TRUE(WIFSIGNALED(run("thread-throw")));
    const auto report = onlyReport();
    ASSERT_TRUE(report);
    ASSERT_TRUE(report->terminate);
    EXPECT_EQ(report->terminate->exceptionType, "St13runtime_error");
    EXPECT_EQ(report->terminate->what, "thrown out of a thread");
    EXPECT_FALSE(report->faultAddress);
}

TEST_F(CrashCaptureTest, TheNextStartSendsTheReportOnceWithItsStartUpTraceAndDeletesIt) {
    ASSERT_TRUE(WIFSIGNALED(run("null-write")));
    ASSERT_EQ(reportsIn(folder).size(), 1u);

    LoopbackIngestionServer server;
    ASSERT_TRUE(server.started());
    const std::string dsn =
        "http://0123456789abcdef0123456789abcdef@127.0.0.1:" + std::to_string(server.port()) + "/42";
    ASSERT_EQ(run("start", dsn), 0);
    EXPECT_TRUE(reportsIn(folder).empty());
    EXPECT_EQ(itemTypes(server.requests()), (std::vector<std::string>{"event", "transaction"}));

    // A start after that has no report left to send, only its own trace.
    ASSERT_EQ(run("start", dsn), 0);
    EXPECT_EQ(itemTypes(server.requests()), (std::vector<std::string>{"event", "transaction", "transaction"}));
}

TEST_F(CrashCaptureTest, WithoutADsnTheNextStartKeepsTheReportWithItsNames) {
    ASSERT_TRUE(WIFSIGNALED(run("abort")));
    ASSERT_EQ(run("start"), 0);
    const auto report = onlyReport();
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->symbolized);
    EXPECT_NE(firstFrameNamed(*report, "crashByAbort"), nullptr) << report->serialize();
    EXPECT_FALSE(report->stack);
}

}  // namespace
}  // namespace clicktrove::crash
