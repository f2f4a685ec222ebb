#include "services/audio_manager.hpp"

#include "platform/fake/recording_sound_player.hpp"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace clicktrove {
namespace {

using platform::RecordingSoundPlayer;
using IfMissing = platform::SoundPlayer::IfMissing;
using Playback = RecordingSoundPlayer::Playback;

Playback sound(std::string id, double volume) {
    return {false, std::move(id), volume, IfMissing::Beep};
}
Playback beep() {
    return {true, {}, 0.0, IfMissing::Silent};
}

// Where the freedesktop sound theme's files live, as the sound-theme lookup searches for them.
bool themeHasSound(std::string_view id) {
    const char* env = std::getenv("XDG_DATA_DIRS");
    std::stringstream dirs(env && *env ? env : "/usr/local/share:/usr/share");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        for (const char* ext : {".oga", ".ogg", ".wav"}) {
            if (std::filesystem::exists(dir + "/sounds/freedesktop/stereo/" + std::string(id) + ext)) return true;
        }
    }
    return false;
}

TEST(AudioManagerSounds, EveryOfferedNameButNoneHasItsOwnInstalledThemeSound) {
    ASSERT_EQ(AudioManager::availableSounds.front(), "None");
    EXPECT_FALSE(AudioManager::themeSoundId("None"));
    std::set<std::string_view> ids;
    for (std::size_t i = 1; i < AudioManager::availableSounds.size(); ++i) {
        const auto name = AudioManager::availableSounds[i];
        const auto id = AudioManager::themeSoundId(name);
        ASSERT_TRUE(id) << name;
        EXPECT_TRUE(themeHasSound(*id)) << name << " -> " << *id;
        ids.insert(*id);
    }
    EXPECT_EQ(ids.size(), 14u) << "two names share a sound";
    EXPECT_TRUE(themeHasSound("bell")) << "the beep";
}

struct PlayCase {
    const char* label;
    std::string name;
    double volume;
    std::vector<Playback> expected;
};
void PrintTo(const PlayCase& c, std::ostream* os) {
    *os << c.label;
}

class AudioManagerPlaySound : public ::testing::TestWithParam<PlayCase> {};

TEST_P(AudioManagerPlaySound, PlaysTheMappedSoundAtTheClampedVolumeOrBeeps) {
    auto player = std::make_shared<RecordingSoundPlayer>();
    AudioManager audio(player);
    audio.playSound(GetParam().name, GetParam().volume);
    EXPECT_EQ(player->playbacks(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioManagerPlaySound,
    ::testing::Values(
        PlayCase{"NoneIsSilent", "None", 0.5, {}}, PlayCase{"NoneIsSilentAtAnyVolume", "None", 1.7, {}},
        PlayCase{"LowerCaseNoneBeeps", "none", 0.5, {beep()}}, PlayCase{"UnknownNameBeeps", "Glass ", 0.5, {beep()}},
        PlayCase{"EmptyNameBeeps", "", 0.5, {beep()}},
        PlayCase{"InRangeVolumeIsKept", "Tink", 0.25, {sound("audio-volume-change", 0.25)}},
        PlayCase{"LoudVolumePlaysFull", "Glass", 1.7, {sound("complete", 1.0)}},
        PlayCase{"NegativeVolumePlaysSilentNotBeep", "Glass", -0.3, {sound("complete", 0.0)}},
        PlayCase{"NotANumberIsSilent", "Pop", std::numeric_limits<double>::quiet_NaN(), {sound("device-added", 0.0)}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(AudioManagerPlaySound, EachCallIsItsOwnPlayback) {
    auto player = std::make_shared<RecordingSoundPlayer>();
    AudioManager audio(player);
    audio.playSound("Tink", 0.5);
    audio.playSound("Tink", 0.5);
    EXPECT_EQ(player->playbacks(), (std::vector{sound("audio-volume-change", 0.5), sound("audio-volume-change", 0.5)}));
}

TEST(AudioManagerSystemSounds, BeepAndConfirmationSound) {
    auto player = std::make_shared<RecordingSoundPlayer>();
    AudioManager audio(player);
    audio.beep();
    audio.playSystemSound("Glass");
    // No beep stands in for a missing confirmation sound.
    audio.playSystemSound("Crystal");
    audio.playSystemSound("None");
    EXPECT_EQ(player->playbacks(), (std::vector{beep(), Playback{false, "complete", 1.0, IfMissing::Silent}}));
}

// Code that plays through the shared instance is tested with an instance of its own; the shared one is made
// once, by the same factory.
TEST(AudioManagerShared, SharedIsOneInstanceApartFromEveryStandardOne) {
    EXPECT_EQ(&AudioManager::shared(), &AudioManager::shared());
    const auto standard = AudioManager::makeStandard();
    ASSERT_NE(standard, nullptr);
    EXPECT_NE(standard.get(), &AudioManager::shared());
}

}  // namespace
}  // namespace clicktrove
