#include "crash/hex_text.hpp"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace clicktrove::crash {

namespace {
constexpr char kDigits[] = "0123456789abcdef";
}

std::size_t hexDigits(std::uint64_t value, char (&out)[16]) {
    std::size_t n = 0;
    for (std::uint64_t rest = value; n == 0 || rest != 0; rest >>= 4) ++n;
    for (std::size_t i = n; i > 0; --i, value >>= 4) out[i - 1] = kDigits[value & 0xf];
    return n;
}

std::string hexAddress(std::uint64_t value) {
    char digits[16];
    const std::size_t n = hexDigits(value, digits);
    return "0x" + std::string(digits, n);
}

std::string hexBytes(const unsigned char* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xf];
    }
    return text;
}

std::string demangled(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> readable(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                         &std::free);
    return status == 0 && readable ? std::string(readable.get()) : std::string(name);
}

}  // namespace clicktrove::crash
