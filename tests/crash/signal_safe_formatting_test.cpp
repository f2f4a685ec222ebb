// The formatting the crash handler does by hand, since it may call no stdio.
#include "crash/signal_safe_writer.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <string>

namespace clicktrove::crash {
namespace {

// Whatever a writer wrote into a pipe.
class PipeText {
public:
    PipeText() { EXPECT_EQ(::pipe(fds_), 0); }
    ~PipeText() {
        ::close(fds_[0]);
        if (fds_[1] >= 0) ::close(fds_[1]);
    }
    int writeEnd() const { return fds_[1]; }
    std::string read() {
        ::close(fds_[1]);
        fds_[1] = -1;
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
        return text;
    }

private:
    int fds_[2] = {-1, -1};
};

TEST(SignalSafeWriter, FormatsNumbersAndKeepsFieldsOnOneLine) {
    PipeText pipe;
    {
        SignalSafeWriter out(pipe.writeEnd());
        out.decimal(0).character(' ').decimal(-42).character(' ').decimal(std::numeric_limits<std::int64_t>::min());
        out.character(' ').hex(0).character(' ').hex(0xdeadbeef).character(' ').hex(~0ull).character(' ');
        const std::uint8_t bytes[] = {0x00, 0x0f, 0xa0, 0xff};
        out.hexBytes(bytes, sizeof bytes).character(' ');
        out.field("tab\there\nnewline", 100).character(' ').field("truncated", 5);
    }
    EXPECT_EQ(pipe.read(),
              "0 -42 -9223372036854775808 0x0 0xdeadbeef 0xffffffffffffffff 000fa0ff tab?here?newline trunc");
}

TEST(SignalSafeWriter, WritesMoreThanItsBufferAndStopsAtTheFirstFailure) {
    PipeText pipe;
    const std::string line(3000, 'x');
    {
        SignalSafeWriter out(pipe.writeEnd());
        out.text(line.c_str()).text(line.c_str());
    }
    EXPECT_EQ(pipe.read(), line + line);

    SignalSafeWriter closed(-1);
    closed.text("lost");
    EXPECT_FALSE(closed.flush());
    EXPECT_TRUE(closed.failed());
}

}  // namespace
}  // namespace clicktrove::crash
