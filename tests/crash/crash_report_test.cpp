#include "crash/crash_report.hpp"
#include "report_fixture.hpp"

#include <gtest/gtest.h>

#include <string>

namespace clicktrove::crash {
namespace {

void expectSame(const CrashReport& a, const CrashReport& b) {
    EXPECT_EQ(a.serialize(), b.serialize());
    EXPECT_EQ(a.release, b.release);
    EXPECT_EQ(a.time, b.time);
    EXPECT_EQ(a.signal, b.signal);
    EXPECT_EQ(a.faultAddress, b.faultAddress);
    EXPECT_EQ(a.threadName, b.threadName);
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.distributionName, b.distributionName);
    EXPECT_EQ(a.distributionVersion, b.distributionVersion);
    EXPECT_EQ(a.eventId, b.eventId);
    ASSERT_EQ(a.modules.size(), b.modules.size());
    ASSERT_EQ(a.frames.size(), b.frames.size());
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        EXPECT_EQ(a.frames[i].address, b.frames[i].address);
        EXPECT_EQ(a.frames[i].module, b.frames[i].module);
        EXPECT_EQ(a.frames[i].function, b.frames[i].function);
        EXPECT_EQ(a.frames[i].file, b.frames[i].file);
        EXPECT_EQ(a.frames[i].line, b.frames[i].line);
    }
}

TEST(CrashReport, ReadsBackWhatItWrites) {
    CrashReport plain = testing::sampleReport();

    CrashReport symbolized = testing::sampleReport();
    symbolized.frames[0].function = "clicktrove::ClickEngine::tick(std::chrono::duration<long, std::ratio<1, 1000>>)";
    symbolized.frames[0].file = "/src/engine/click engine.cpp";
    symbolized.frames[0].line = 120;
    symbolized.frames[2].function = "__libc_start_main";
    symbolized.frames.push_back({0xdead, std::nullopt, "", "", 0});
    symbolized.symbolized = true;
    symbolized.version = "0.1.0";
    symbolized.distributionName = "Debian GNU/Linux";
    symbolized.distributionVersion = "12";
    symbolized.eventId = "0123456789abcdef0123456789abcdef";

    CrashReport terminated = testing::sampleReport();
    terminated.signal = 6;
    terminated.signalName = "SIGABRT";
    terminated.code = -6;
    terminated.faultAddress.reset();
    terminated.terminate = CrashReport::Terminate{"St13runtime_error", "bad: things happen"};

    CrashReport withoutException = terminated;
    withoutException.terminate = CrashReport::Terminate{};

    // As the handler leaves it: registers and more stack than one line holds, for the walk at the next start.
    CrashReport saved = testing::sampleReport();
    saved.frames.resize(1);
    saved.registers = {0x1, 0x0, 0x7ffc00001000, 0xffffffffffffffff};
    saved.stack = CrashReport::Stack{0x7ffc00000f80, std::string(2500, '\0')};
    for (std::size_t i = 0; i < saved.stack->bytes.size(); ++i) saved.stack->bytes[i] = static_cast<char>(i * 7);

    for (const CrashReport& original : {plain, symbolized, terminated, withoutException, saved}) {
        const auto read = CrashReport::parse(original.serialize());
        ASSERT_TRUE(read) << original.serialize();
        expectSame(*read, original);
        EXPECT_EQ(read->symbolized, original.symbolized);
        EXPECT_EQ(read->registers, original.registers);
        ASSERT_EQ(read->stack.has_value(), original.stack.has_value());
        if (read->stack) {
            EXPECT_EQ(read->stack->start, original.stack->start);
            EXPECT_EQ(read->stack->bytes, original.stack->bytes);
        }
        EXPECT_EQ(read->terminate.has_value(), original.terminate.has_value());
        if (read->terminate) {
            EXPECT_EQ(read->terminate->exceptionType, original.terminate->exceptionType);
            EXPECT_EQ(read->terminate->what, original.terminate->what);
        }
    }
}

TEST(CrashReport, RefusesTextThatIsNotACompleteReport) {
    const std::string good = testing::sampleReport().serialize();
    const auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    for (const std::string& text : {
             std::string(),
             std::string("not a crash report\n"),
             good.substr(0, good.size() - 4),        // cut short: no "end"
             good.substr(0, good.find("frame: 1")),  // cut in the middle of the frames
             replace("Clicktrove crash report 1", "Clicktrove crash report"),
             replace("signal: 11 SIGSEGV", "signal: eleven"),
             replace("address: 0x10", "address: 16"),
             replace("frame: 1 0x55d0c0002345 0", "frame: 1 0x55d0c0002345 7"),  // no such module
             replace("frame: 1 ", "frame: 5 "),                                  // frames out of order
             replace("module: 1 0x7f0000000000 0x7f0000200000", "module: 1 0x7f0000200000 0x7f0000000000"),
             replace("f1c3bcc0279865fe", "not-hex-at-all"),
         }) {
        EXPECT_FALSE(CrashReport::parse(text)) << text;
    }
    // What the handler saves for the walk of the stack must be whole as well.
    for (const char* saved : {
             "registers: 0x1 rip\n",                    // a register that is no number
             "stack: 0x1000 0a0\n",                     // half a byte
             "stack: 0x1000 0g\n",                      // not hex
             "stack: 0x1000 0a0b\nstack: 0x1003 0c\n",  // a gap between lines
         }) {
        std::string text = good;
        text.insert(text.rfind("end\n"), saved);
        EXPECT_FALSE(CrashReport::parse(text)) << text;
    }
}

TEST(CrashReport, AnEventIdentifierThatIsNoneIsDroppedSoThatAFreshOneIsDrawn) {
    for (const char* id : {"0123", "0123456789ABCDEF0123456789ABCDEF", "0123456789abcdef0123456789abcdeg"}) {
        std::string text = testing::sampleReport().serialize();
        text.insert(text.rfind("end\n"), std::string("event: ") + id + "\n");
        const auto read = CrashReport::parse(text);
        ASSERT_TRUE(read) << id;
        EXPECT_EQ(read->eventId, "") << id;
    }
}

TEST(CrashReport, SkipsLinesOfKeysItDoesNotKnow) {
    std::string text = testing::sampleReport().serialize();
    text.insert(text.find("os: "), "gpu: llvmpipe (LLVM 15.0.6, 256 bits)\n");
    const auto read = CrashReport::parse(text);
    ASSERT_TRUE(read);
    expectSame(*read, testing::sampleReport());
}

}  // namespace
}  // namespace clicktrove::crash
