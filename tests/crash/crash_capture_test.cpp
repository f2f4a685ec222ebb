// Real crashes, in a child process that starts crash reporting as the program does.
#include "crash/crash_event.hpp"
#include "crash/crash_report.hpp"
#include "crash/report_symbolizer.hpp"
#include "crash/hex_text.hpp"
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

// Lines only where the line tables have them: a frame has a file exactly when it has a line, the start-up
// routine (linked in without line tables) has none, and the child's own functions have theirs in its source.
void expectOnlyRealLines(const CrashReport& report) {
    for (const auto& frame : report.frames) {
        SCOPED_TRACE(frame.function + " at " + hexAddress(frame.address));
        EXPECT_EQ(frame.line > 0, !frame.file.empty()) << frame.file << ":" << frame.line;
        if (frame.function == "_start") {
            EXPECT_EQ(frame.line, 0) << frame.file;
        }
        if (frame.function == "main" || frame.function == "main.cold" ||
            frame.function.rfind("(anonymous namespace)::", 0) == 0) {
            EXPECT_EQ(fs::path(frame.file).filename(), "crash_child.cpp");
        }
    }
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
        bool reachesMain;      // the walk gets back to main (a thread's stack has none; an overflow is too deep)
    };
    for (const Case& c : {Case{"null-write", SIGSEGV, "crashByNullWrite", "crash_child", true},
                          Case{"null-call", SIGSEGV, "crashByNullCall", "crash_child", true},
                          Case{"breakpoint", SIGTRAP, "crashByBreakpoint", "crash_child", true},
                          Case{"bad-syscall", SIGSYS, "crashByBadSystemCall", "crash_child", true},
                          Case{"abort", SIGABRT, "crashByAbort", "crash_child", true},
                          Case{"thread-throw", SIGABRT, "throwOutOfThread", "crash-worker", false},
                          Case{"stack-overflow", SIGSEGV, "recurseForever", "crash_child", false},
                          Case{"thread-overflow", SIGSEGV, "recurseForever", "crash-overflow", false}}) {
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
        if (c.reachesMain) {
            // main, or its cold part where a call does not return (abort).
            EXPECT_TRUE(std::any_of(report->frames.begin(), report->frames.end(),
                                    [](const auto& f) { return f.function == "main" || f.function == "main.cold"; }))
                << report->serialize();
        }
        expectOnlyRealLines(*report);
    }
}

TEST_F(CrashCaptureTest, ACallThroughANullFunctionPointerKeepsTheStackOfItsCaller) {
    ASSERT_TRUE(WIFSIGNALED(run("null-call")));
    auto report = onlyReport();
    ASSERT_TRUE(report);
    ReportSymbolizer::symbolize(*report);
    ASSERT_GE(report->frames.size(), 3u) << report->serialize();
    // The pc the call jumped to, in no module; then the function that made the call, then its caller.
    EXPECT_EQ(report->frames[0].address, 0u);
    EXPECT_FALSE(report->frames[0].module);
    EXPECT_EQ(report->frames[1].function, "(anonymous namespace)::crashByNullCall()") << report->serialize();
    EXPECT_EQ(report->frames[2].function, "main") << report->serialize();
    const nlohmann::json frames = CrashEvent::payload(*report, "e")["exception"]["values"][0]["stacktrace"]["frames"];
    EXPECT_EQ(frames.back()["instruction_addr"], "0x0");
}

TEST_F(CrashCaptureTest, ABreakpointAndARefusedSystemCallAreReportedWithWhatTheKernelSaid) {
    ASSERT_TRUE(WIFSIGNALED(run("breakpoint")));
    auto trap = onlyReport();
    ASSERT_TRUE(trap);
    EXPECT_EQ(trap->signalName, "SIGTRAP");
    // A breakpoint instruction has no faulting address.
    EXPECT_FALSE(trap->faultAddress);

    fs::remove_all(folder);
    ASSERT_TRUE(WIFSIGNALED(run("bad-syscall")));
    auto refused = onlyReport();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->signalName, "SIGSYS");
    EXPECT_EQ(refused->code, 1);  // SYS_SECCOMP
    // The address of the refused call itself.
    ASSERT_TRUE(refused->faultAddress);
    EXPECT_EQ(*refused->faultAddress, refused->frames.front().address);
}

TEST_F(CrashCaptureTest, AWalkEndsAtTheFirstFrameOfALibraryReplacedSinceTheCrash) {
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced" : "as it was");
        fs::remove_all(folder);
        const fs::path library = tempHome.root() / "call_back_library.so";
        fs::copy_file(CLICKTROVE_CRASH_CHILD_LIBRARY, library, fs::copy_options::overwrite_existing);
        ASSERT_TRUE(WIFSIGNALED(run("in-library", library.string())));
        if (replaced) {
            // Another ELF file in its place, as an upgrade leaves it: another build ID.
            fs::remove(library);
            fs::copy_file(CLICKTROVE_CRASH_CHILD, library);
        }
        auto report = onlyReport();
        ASSERT_TRUE(report);
        ReportSymbolizer::symbolize(*report);
        ASSERT_GE(report->frames.size(), 2u) << report->serialize();
        EXPECT_EQ(report->frames[0].function, "(anonymous namespace)::crashByNullWrite()") << report->serialize();
        ASSERT_TRUE(report->frames[1].module) << report->serialize();
        EXPECT_EQ(fs::path(report->modules[*report->frames[1].module].path), fs::canonical(library));
        if (replaced) {
            // The library's own frame, as a bare address, and nothing guessed beyond it.
            EXPECT_EQ(report->frames[1].function, "");
            EXPECT_EQ(report->frames.size(), 2u) << report->serialize();
        } else {
            EXPECT_EQ(report->frames[1].function, "crashChildCallBack");
            EXPECT_LT(indexOfFrame(*report, "main"), report->frames.size()) << report->serialize();
        }
    }
}

TEST_F(CrashCaptureTest, TheCulpritOfAnUncaughtExceptionIsTheFunctionThatThrewIt) {
    ASSERT_TRUE(WIFSIGNALED(run("thread-throw")));
    auto report = onlyReport();
    ASSERT_TRUE(report);
    ReportSymbolizer::symbolize(*report);
    const nlohmann::json frames = CrashEvent::payload(*report, "e")["exception"]["values"][0]["stacktrace"]["frames"];
    // The newest frame of the program's own is the thrower, not the handler or the terminate path above it.
    std::string culprit;
    bool handlerSeen = false;
    for (const auto& frame : frames) {
        const std::string function = frame.value("function", "");
        if (function.find("onTerminate") != std::string::npos) {
            handlerSeen = true;
            EXPECT_EQ(frame["in_app"], false);
        }
        if (frame.value("in_app", false)) culprit = function;
    }
    EXPECT_TRUE(handlerSeen) << frames.dump(1);
    EXPECT_EQ(culprit, "(anonymous namespace)::throwOutOfThread()") << frames.dump(1);
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
