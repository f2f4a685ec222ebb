#include "platform/posted_press_ledger.hpp"

#include <gtest/gtest.h>

namespace clicktrove::platform {
namespace {

using namespace std::chrono_literals;
using Clock = PostedPressLedger::Clock;

const Clock::time_point t0 = Clock::time_point() + 1h;

TEST(PostedPressLedger, EachPostedPressIsClaimedOnceByAPressOfItsOwnButton) {
    PostedPressLedger ledger;
    ledger.notePosted(1, t0);
    ledger.notePosted(1, t0 + 1ms);
    ledger.notePosted(3, t0 + 2ms);
    EXPECT_FALSE(ledger.claim(2, t0, t0 + 3ms)) << "the middle button was never posted";
    EXPECT_TRUE(ledger.claim(3, t0, t0 + 3ms));
    EXPECT_FALSE(ledger.claim(3, t0, t0 + 3ms)) << "a second right press is the user's";
    EXPECT_TRUE(ledger.claim(1, t0, t0 + 4ms));
    EXPECT_TRUE(ledger.claim(1, t0, t0 + 4ms));
    EXPECT_FALSE(ledger.claim(1, t0, t0 + 4ms));
}

// A press that never came back, or came back before anyone watched, must not swallow a later press of the
// user's.
TEST(PostedPressLedger, PressesOlderThanTheWatcherOrTheAgeLimitClaimNothing) {
    PostedPressLedger ledger;
    ledger.notePosted(1, t0);
    EXPECT_FALSE(ledger.claim(1, t0 + 1ms, t0 + 2ms)) << "posted before the watcher began";

    ledger.notePosted(1, t0 + 10ms);
    EXPECT_FALSE(ledger.claim(1, t0, t0 + 10ms + PostedPressLedger::kMaxAge + 1ms)) << "too long ago";

    ledger.notePosted(1, t0 + 2s);
    EXPECT_TRUE(ledger.claim(1, t0, t0 + 2s + PostedPressLedger::kMaxAge)) << "just within the limit";
}

TEST(PostedPressLedger, WhileNobodyClaimsItHoldsABoundedNumberOfTheNewest) {
    PostedPressLedger ledger;
    const std::size_t posted = PostedPressLedger::kMaxEntries + 100;
    for (std::size_t i = 0; i < posted; ++i) ledger.notePosted(1, t0 + std::chrono::microseconds(i));
    std::size_t claimed = 0;
    while (ledger.claim(1, t0, t0 + 10ms)) ++claimed;
    EXPECT_EQ(claimed, PostedPressLedger::kMaxEntries);
}

}  // namespace
}  // namespace clicktrove::platform
