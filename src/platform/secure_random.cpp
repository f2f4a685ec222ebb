#include "platform/secure_random.hpp"

#include <sys/random.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace clicktrove::platform {

void RandomSource::fill(void* bytes, std::size_t count) {
    auto* out = static_cast<unsigned char*>(bytes);
    while (count > 0) {
        const std::uint64_t v = nextUInt64();
        const std::size_t n = count < sizeof v ? count : sizeof v;
        std::memcpy(out, &v, n);
        out += n;
        count -= n;
    }
}

std::int64_t RandomSource::uniformInt(std::int64_t lo, std::int64_t hi) {
    if (lo > hi) std::swap(lo, hi);
    const std::uint64_t span = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo);
    if (span == UINT64_MAX) return static_cast<std::int64_t>(nextUInt64());
    const std::uint64_t range = span + 1;
    // Rejection sampling: drop the top partial block of the 64-bit space so every value is equally likely.
    const std::uint64_t limit = UINT64_MAX - (UINT64_MAX % range);
    std::uint64_t v = nextUInt64();
    while (v >= limit) v = nextUInt64();
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + v % range);
}

double RandomSource::uniformReal(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) return std::isfinite(lo) ? lo : 0.0;
    if (lo == hi) return lo;
    if (lo > hi) std::swap(lo, hi);
    // 53 random bits over [0, 2^53], both ends reachable, so the range is closed.
    const std::uint64_t steps = (std::uint64_t{1} << 53);
    const double u = static_cast<double>(static_cast<std::uint64_t>(uniformInt(0, static_cast<std::int64_t>(steps)))) /
                     static_cast<double>(steps);
    const double v = lo + (hi - lo) * u;
    return v > hi ? hi : (v < lo ? lo : v);
}

std::uint64_t SecureRandom::nextUInt64() {
    std::uint64_t v = 0;
    fill(&v, sizeof v);
    return v;
}

void SecureRandom::fill(void* bytes, std::size_t count) {
    auto* out = static_cast<unsigned char*>(bytes);
    while (count > 0) {
        const ssize_t n = ::getrandom(out, count, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("getrandom failed: ") + std::strerror(errno));
        }
        out += n;
        count -= static_cast<std::size_t>(n);
    }
}

SecureRandom& SecureRandom::instance() {
    static SecureRandom random;
    return random;
}

}  // namespace clicktrove::platform
