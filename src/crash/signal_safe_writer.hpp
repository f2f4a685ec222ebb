#pragma once

#include <cstddef>
#include <cstdint>

namespace clicktrove::crash {

// Formats text into a fixed buffer and writes it to a file descriptor with write(2): usable inside a signal
// handler, where nothing may allocate, lock or touch stdio. A failed write is remembered and later output
// dropped, so a full disk ends a report early instead of looping.
class SignalSafeWriter {
public:
    explicit SignalSafeWriter(int fd) : fd_(fd) {}
    SignalSafeWriter(const SignalSafeWriter&) = delete;
    SignalSafeWriter& operator=(const SignalSafeWriter&) = delete;
    ~SignalSafeWriter() { flush(); }

    SignalSafeWriter& text(const char* text);
    SignalSafeWriter& text(const char* text, std::size_t length);
    // Text from outside the program's control (paths, thread names, messages): control characters become '?',
    // so that a report stays one field per line.
    SignalSafeWriter& field(const char* text, std::size_t maxLength);
    SignalSafeWriter& character(char c);
    SignalSafeWriter& decimal(std::int64_t value);
    // "0x" and lower-case hex digits, no padding.
    SignalSafeWriter& hex(std::uint64_t value);
    // Two lower-case hex digits per byte, nothing before.
    SignalSafeWriter& hexBytes(const std::uint8_t* bytes, std::size_t count);

    // Writes out what is buffered; false once any write has failed.
    bool flush();
    bool failed() const { return failed_; }

private:
    int fd_;
    bool failed_ = false;
    std::size_t used_ = 0;
    char buffer_[1024];
};

}  // namespace clicktrove::crash
