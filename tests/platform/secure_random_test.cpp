#include "platform/secure_random.hpp"

#include <gtest/gtest.h>
#include <deque>
#include <limits>

using clicktrove::platform::RandomSource;
using clicktrove::platform::SecureRandom;

namespace {
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::deque<std::uint64_t> values) : values_(std::move(values)) {}
    std::uint64_t nextUInt64() override {
        const auto v = values_.front();
        values_.pop_front();
        return v;
    }
    std::size_t left() const { return values_.size(); }

private:
    std::deque<std::uint64_t> values_;
};
}  // namespace

TEST(RandomSource, UniformIntRejectsTheBiasedTopBlock) {
    // Range of 3: 2^64 - 1 is in the partial top block (UINT64_MAX % 3 == 0, so limit = UINT64_MAX) and is redrawn.
    ScriptedRandom random({std::numeric_limits<std::uint64_t>::max(), 4});
    EXPECT_EQ(random.uniformInt(10, 12), 11);
    EXPECT_EQ(random.left(), 0u);
}

TEST(RandomSource, UniformRealStaysInsideClosedRange) {
    auto& random = SecureRandom::instance();
    for (int i = 0; i < 10000; ++i) {
        const double v = random.uniformReal(-2.5, 2.5);
        ASSERT_GE(v, -2.5);
        ASSERT_LE(v, 2.5);
    }
    EXPECT_EQ(random.uniformReal(3.0, 3.0), 3.0);
    EXPECT_EQ(random.uniformReal(1.0, std::numeric_limits<double>::infinity()), 1.0);
}

TEST(RandomSource, UniformIntCoversFullRangeBothEnds) {
    auto& random = SecureRandom::instance();
    bool sawLo = false, sawHi = false;
    for (int i = 0; i < 2000 && !(sawLo && sawHi); ++i) {
        const auto v = random.uniformInt(0, 3);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 3);
        sawLo |= v == 0;
        sawHi |= v == 3;
    }
    EXPECT_TRUE(sawLo && sawHi);
}
