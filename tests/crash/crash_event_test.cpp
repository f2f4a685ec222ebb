#include "crash/crash_event.hpp"
#include "crash/app_start_transaction.hpp"
#include "crash/sentry_envelope.hpp"
#include "report_fixture.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace clicktrove::crash {
namespace {

using nlohmann::json;

TEST(CrashEvent, DerivesTheDebugIdFromTheBuildId) {
    // The service's own example: the first three fields of the first 16 bytes are byte-swapped.
    EXPECT_EQ(CrashEvent::debugId("f1c3bcc0279865fe3058404b2831d9e64135386c"), "c0bcc3f1-9827-fe65-3058-404b2831d9e6");
    // A short build ID is padded with zeros.
    EXPECT_EQ(CrashEvent::debugId("0102030405"), "04030201-0005-0000-0000-000000000000");
    for (const char* bad : {"", "abc", "XYZ123", "f1c3bcc0-2798"}) EXPECT_EQ(CrashEvent::debugId(bad), "") << bad;
}

TEST(CrashEvent, DescribesASignalAsAFatalUnhandledExceptionWithTheStackOldestFirst) {
    CrashReport report = testing::sampleReport();
    report.frames[0].function = "clicktrove::ClickEngine::tick()";
    report.frames[0].file = "/src/engine/click_engine.cpp";
    report.frames[0].line = 120;
    const json event = CrashEvent::payload(report, "0123456789abcdef0123456789abcdef");

    EXPECT_EQ(event["event_id"], "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(event["level"], "fatal");
    EXPECT_EQ(event["platform"], "native");
    EXPECT_EQ(event["release"], "clicktrove@0.1.0+1");
    EXPECT_EQ(event["dist"], "12");
    EXPECT_EQ(event["timestamp"], "2024-05-01T12:00:00.123Z");

    const json& exception = event["exception"]["values"][0];
    EXPECT_EQ(exception["type"], "SIGSEGV");
    EXPECT_EQ(exception["value"], "Segmentation fault at address 0x10");
    EXPECT_EQ(exception["thread_id"], 4243);
    EXPECT_EQ(exception["mechanism"]["handled"], false);
    EXPECT_EQ(exception["mechanism"]["meta"]["signal"]["number"], 11);
    EXPECT_EQ(exception["mechanism"]["meta"]["signal"]["code_name"], "SEGV_MAPERR");

    const json& frames = exception["stacktrace"]["frames"];
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0]["instruction_addr"], "0x7f0000012345");  // the outermost caller first
    EXPECT_EQ(frames[0]["in_app"], true);                        // "/nowhere/..." is not a system library
    const json& crashing = frames[2];
    EXPECT_EQ(crashing["instruction_addr"], "0x55d0c0001234");
    EXPECT_EQ(crashing["function"], "clicktrove::ClickEngine::tick()");
    EXPECT_EQ(crashing["filename"], "click_engine.cpp");
    EXPECT_EQ(crashing["lineno"], 120);
    EXPECT_EQ(crashing["package"], "/nowhere/clicktrove");

    // Only the module with a build ID can be found by the service, so only it is a debug image.
    const json& images = event["debug_meta"]["images"];
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]["type"], "elf");
    EXPECT_EQ(images[0]["code_id"], "f1c3bcc0279865fe3058404b2831d9e64135386c");
    EXPECT_EQ(images[0]["debug_id"], "c0bcc3f1-9827-fe65-3058-404b2831d9e6");
    EXPECT_EQ(images[0]["image_addr"], "0x55d0c0000000");
    EXPECT_EQ(images[0]["image_size"], 0x40000);
    EXPECT_EQ(event["contexts"]["os"], (json{{"name", "Linux"}, {"kernel_version", "6.1.0-18-amd64"}}));
    EXPECT_EQ(event["contexts"]["device"]["arch"], "x86_64");
}

TEST(CrashEvent, NamesTheDistributionBesideTheKernelAndTheProgramsVersionAndBuild) {
    CrashReport report = testing::sampleReport();
    report.distributionName = "Debian GNU/Linux";
    report.distributionVersion = "12";
    report.version = "0.1.0";
    const json contexts = CrashEvent::payload(report, "e")["contexts"];
    EXPECT_EQ(contexts["os"],
              (json{{"name", "Debian GNU/Linux"}, {"version", "12"}, {"kernel_version", "6.1.0-18-amd64"}}));
    EXPECT_EQ(contexts["app"], (json{{"app_version", "0.1.0"}, {"app_build", "12"}}));
}

TEST(CrashEvent, MarksTheFramesOfTheSystemAndOfTheWayACrashIsReportedAsNotTheProgramsOwn) {
    struct Case {
        const char* module;
        const char* function;
        bool inApp;
    };
    for (const Case& c : {
             Case{"/opt/clicktrove/bin/clicktrove", "clicktrove::ClickEngine::tick()", true},
             Case{"/opt/clicktrove/bin/clicktrove", "main", true},
             Case{"/opt/clicktrove/bin/clicktrove", "", true},
             Case{"/usr/lib/x86_64-linux-gnu/libc.so.6", "", false},
             Case{"/lib/x86_64-linux-gnu/libQt6Core.so.6", "QObject::event(QEvent*)", false},
             // The terminate path and the handler, wherever they were linked.
             Case{"/opt/clicktrove/bin/clicktrove", "clicktrove::crash::handler::(anonymous namespace)::onTerminate()",
                  false},
             Case{"/opt/clicktrove/bin/clicktrove", "std::terminate()", false},
             Case{"/opt/clicktrove/bin/clicktrove", "__cxxabiv1::__terminate(void (*)())", false},
             Case{"/opt/clicktrove/bin/clicktrove", "__cxa_throw", false},
             Case{"/opt/clicktrove/bin/clicktrove", "__gnu_cxx::__verbose_terminate_handler()", false},
             Case{"/opt/clicktrove/bin/clicktrove", "abort", false},
             Case{"/opt/clicktrove/bin/clicktrove", "raise", false},
             Case{"/opt/clicktrove/bin/clicktrove", "__pthread_kill_implementation", false},
             // Only the reporting path, not what merely shares a name's beginning.
             Case{"/opt/clicktrove/bin/clicktrove", "abortRun()", true},
             Case{"/opt/clicktrove/bin/clicktrove", "clicktrove::crash::ReportSymbolizer::symbolize(CrashReport&)",
                  true},
         }) {
        SCOPED_TRACE(std::string(c.module) + " " + c.function);
        CrashReport report = testing::sampleReport();
        report.modules[0].path = c.module;
        report.frames[0].function = c.function;
        const json frames = CrashEvent::payload(report, "e")["exception"]["values"][0]["stacktrace"]["frames"];
        EXPECT_EQ(frames.back()["in_app"], c.inApp);
    }
}

TEST(CrashEvent, DescribesEachFatalSignal) {
    struct Case {
        int signal;
        const char* name;
        int code;
        const char* value;
        const char* codeName;  // empty: none
    };
    for (const Case& c : {
             Case{5, "SIGTRAP", 1, "Trace/breakpoint trap", "TRAP_BRKPT"},
             Case{5, "SIGTRAP", 0x80, "Trace/breakpoint trap", "SI_KERNEL"},
             Case{31, "SIGSYS", 1, "Bad system call", "SYS_SECCOMP"},
             Case{7, "SIGBUS", 2, "Bus error", "BUS_ADRERR"},
             Case{4, "SIGILL", 99, "Illegal instruction", ""},
         }) {
        SCOPED_TRACE(c.name);
        CrashReport report = testing::sampleReport();
        report.signal = c.signal;
        report.signalName = c.name;
        report.code = c.code;
        report.faultAddress.reset();
        const json exception = CrashEvent::payload(report, "e")["exception"]["values"][0];
        EXPECT_EQ(exception["type"], c.name);
        EXPECT_EQ(exception["value"], c.value);
        EXPECT_EQ(exception["mechanism"]["meta"]["signal"].value("code_name", ""), c.codeName);
    }
}

TEST(CrashEvent, NamesAnExceptionThatReachedTerminateByItsType) {
    CrashReport report = testing::sampleReport();
    report.signal = 6;
    report.signalName = "SIGABRT";
    report.faultAddress.reset();
    report.terminate = CrashReport::Terminate{"St13runtime_error", "bad things"};
    json exception = CrashEvent::payload(report, "e")["exception"]["values"][0];
    EXPECT_EQ(exception["type"], "std::runtime_error");
    EXPECT_EQ(exception["value"], "bad things");
    EXPECT_EQ(exception["mechanism"]["type"], "terminate");

    report.terminate = CrashReport::Terminate{};
    exception = CrashEvent::payload(report, "e")["exception"]["values"][0];
    EXPECT_EQ(exception["type"], "SIGABRT");
    EXPECT_EQ(exception["value"], "std::terminate called without an active exception");
}

TEST(SentryEnvelope, FramesEachItemWithItsTypeAndLengthInBytes) {
    SentryEnvelope envelope(json{{"event_id", "abc"}});
    envelope.addItem("event", {{"message", "zwölf\nlines"}});
    envelope.addItem("transaction", {{"type", "transaction"}});
    const std::string text = envelope.serialize();

    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(json::parse(lines[0])["event_id"], "abc");
    for (std::size_t item : {1u, 3u}) {
        const json header = json::parse(lines[item]);
        EXPECT_EQ(header["length"], lines[item + 1].size());  // bytes, and the payload holds no raw newline
        EXPECT_NO_THROW(json::parse(lines[item + 1]));
    }
    EXPECT_EQ(json::parse(lines[1])["type"], "event");
    EXPECT_EQ(json::parse(lines[3])["type"], "transaction");
    EXPECT_EQ(text.back(), '\n');
}

TEST(SentryEnvelope, MakesFreshIdentifiersOfTheRequiredForm) {
    const std::string event = SentryEnvelope::newId(16);
    const std::string span = SentryEnvelope::newId(8);
    EXPECT_EQ(event.size(), 32u);
    EXPECT_EQ(span.size(), 16u);
    EXPECT_EQ(event.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(event[12], '4');  // a version 4 UUID
    EXPECT_NE(event, SentryEnvelope::newId(16));
    EXPECT_EQ(
        SentryEnvelope::timestamp(std::chrono::system_clock::time_point(std::chrono::milliseconds(1714564800123))),
        "2024-05-01T12:00:00.123Z");
}

TEST(AppStartTransaction, SpansExecToWindowShownAsOneTransaction) {
    AppStartTransaction transaction;
    transaction.start = std::chrono::system_clock::time_point(std::chrono::seconds(1714564800));
    transaction.end = transaction.start + std::chrono::milliseconds(640);
    transaction.traceId = "0123456789abcdef0123456789abcdef";
    transaction.spanId = "0123456789abcdef";
    transaction.release = "clicktrove@0.1.0+1";
    transaction.contexts.system = "Linux";
    transaction.contexts.kernel = "6.1.0-18-amd64";
    transaction.contexts.distributionName = "Debian GNU/Linux";
    transaction.contexts.distributionVersion = "12";
    const json payload = transaction.payload("e1");
    EXPECT_EQ(payload["type"], "transaction");
    EXPECT_EQ(payload["event_id"], "e1");
    EXPECT_DOUBLE_EQ(payload["start_timestamp"].get<double>(), 1714564800.0);
    EXPECT_DOUBLE_EQ(payload["timestamp"].get<double>(), 1714564800.64);
    EXPECT_EQ(payload["contexts"]["trace"]["trace_id"], transaction.traceId);
    EXPECT_EQ(payload["contexts"]["trace"]["span_id"], transaction.spanId);
    EXPECT_EQ(payload["contexts"]["os"]["name"], "Debian GNU/Linux");
    EXPECT_EQ(payload["spans"], json::array());
    EXPECT_NEAR(payload["measurements"]["app_start_cold"]["value"].get<double>(), 640.0, 1e-6);

    const json trace = transaction.traceHeader("key");
    EXPECT_EQ(trace["trace_id"], transaction.traceId);
    EXPECT_EQ(trace["public_key"], "key");
    EXPECT_EQ(trace["sampled"], "true");
}

}  // namespace
}  // namespace clicktrove::crash
