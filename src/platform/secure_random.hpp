#pragma once

#include <cstddef>
#include <cstdint>

namespace clicktrove::platform {

// A source of random numbers. The system one draws from the kernel's CSPRNG (getrandom); tests script it.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Uniform over all 64-bit values.
    virtual std::uint64_t nextUInt64() = 0;
    virtual void fill(void* bytes, std::size_t count);

    // Uniform over lo...hi, both included, without modulo bias. lo > hi is treated as the swapped range.
    std::int64_t uniformInt(std::int64_t lo, std::int64_t hi);
    // Uniform over the closed range lo...hi. lo == hi gives lo; a non-finite bound gives lo.
    double uniformReal(double lo, double hi);
};

class SecureRandom final : public RandomSource {
public:
    std::uint64_t nextUInt64() override;
    void fill(void* bytes, std::size_t count) override;
    // Thread safe: the kernel serves every caller.
    static SecureRandom& instance();
};

}  // namespace clicktrove::platform
