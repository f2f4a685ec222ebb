#include "crash/signal_safe_writer.hpp"

#include "crash/hex_text.hpp"

#include <unistd.h>

#include <cerrno>

namespace clicktrove::crash {

SignalSafeWriter& SignalSafeWriter::text(const char* text) {
    if (!text) return *this;
    while (*text) character(*text++);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::text(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) character(text[i]);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::field(const char* text, std::size_t maxLength) {
    if (!text) return *this;
    for (std::size_t i = 0; i < maxLength && text[i]; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        character(c < 0x20 || c == 0x7f ? '?' : static_cast<char>(c));
    }
    return *this;
}

SignalSafeWriter& SignalSafeWriter::character(char c) {
    if (used_ == sizeof buffer_) flush();
    if (failed_) return *this;
    buffer_[used_++] = c;
    return *this;
}

SignalSafeWriter& SignalSafeWriter::decimal(std::int64_t value) {
    char digits[24];
    std::size_t n = 0;
    // Through the unsigned value, so that the most negative number has a magnitude too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) character('-');
    while (n > 0) character(digits[--n]);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::hex(std::uint64_t value) {
    char digits[16];
    const std::size_t n = hexDigits(value, digits);
    return text("0x", 2).text(digits, n);
}

SignalSafeWriter& SignalSafeWriter::hexBytes(const std::uint8_t* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < count; ++i) {
        character(kDigits[bytes[i] >> 4]);
        character(kDigits[bytes[i] & 0xf]);
    }
    return *this;
}

bool SignalSafeWriter::flush() {
    std::size_t done = 0;
    while (!failed_ && done < used_) {
        const ssize_t n = ::write(fd_, buffer_ + done, used_ - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            failed_ = true;
        }
    }
    used_ = 0;
    return !failed_;
}

}  // namespace clicktrove::crash
