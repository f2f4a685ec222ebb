#include "platform/canberra_sound_player.hpp"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace clicktrove::platform {
namespace {

TEST(CanberraSoundPlayer, LinearVolumeBecomesDecibelsAndSilenceBecomesNothing) {
    const struct {
        double volume;
        std::optional<std::string> decibels;
    } cases[] = {
        {1.0, "0.00"},        {0.5, "-6.02"},
        {0.1, "-20.00"},      {0.001, "-60.00"},
        {1.7, "0.00"},        {0.0, std::nullopt},
        {-0.3, std::nullopt}, {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CanberraSoundPlayer::decibels(c.volume), c.decibels) << c.volume;
    }
}

// Whatever the machine's sound setup (here usually none), playing returns at once and the player shuts its
// worker down with requests still queued.
TEST(CanberraSoundPlayer, ShutsDownWithRequestsQueued) {
    CanberraSoundPlayer player;
    for (std::size_t i = 0; i < CanberraSoundPlayer::kMaxPending + 4; ++i) {
        player.play("complete", 0.5, SoundPlayer::IfMissing::Beep);
    }
    player.play("no-such-sound-id", 0.5, SoundPlayer::IfMissing::Beep);
    player.beep();
}

}  // namespace
}  // namespace clicktrove::platform
