#include "services/audio_manager.hpp"

#include "platform/canberra_sound_player.hpp"
#include "platform/sound_player.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace clicktrove {

namespace {

// The desktop has no sounds under these names; each stands for the freedesktop theme sound closest in
// character (a tick for Tink, a chime for Glass, an error thud for Basso, ...). Every id is a file of the
// freedesktop theme itself, so the sounds exist wherever that theme is installed.
struct NamedSound {
    std::string_view name;
    std::string_view themeId;
};

constexpr std::array<NamedSound, 14> kNamedSounds = {{
    {"Tink", "audio-volume-change"},
    {"Basso", "dialog-error"},
    {"Blow", "trash-empty"},
    {"Bottle", "message-new-instant"},
    {"Frog", "window-question"},
    {"Funk", "dialog-warning"},
    {"Glass", "complete"},
    {"Hero", "service-login"},
    {"Morse", "network-connectivity-established"},
    {"Ping", "dialog-information"},
    {"Pop", "device-added"},
    {"Purr", "power-plug"},
    {"Sosumi", "window-attention"},
    {"Submarine", "message"},
}};

double clampedVolume(double volume) {
    if (std::isnan(volume)) return 0.0;
    return std::clamp(volume, 0.0, 1.0);
}

}  // namespace

std::unique_ptr<AudioManager> AudioManager::makeStandard() {
    return std::make_unique<AudioManager>(std::make_shared<platform::CanberraSoundPlayer>());
}

AudioManager& AudioManager::shared() {
    // Never destroyed: sounds may be asked for until the very end of the process, and the player's worker
    // must not be joined while static objects are torn down.
    static AudioManager* const instance = makeStandard().release();
    return *instance;
}

AudioManager::AudioManager(std::shared_ptr<platform::SoundPlayer> player) : player_(std::move(player)) {}

AudioManager::~AudioManager() = default;

std::optional<std::string_view> AudioManager::themeSoundId(std::string_view name) {
    const auto it = std::find_if(kNamedSounds.begin(), kNamedSounds.end(),
                                 [name](const NamedSound& sound) { return sound.name == name; });
    if (it == kNamedSounds.end()) return std::nullopt;
    return it->themeId;
}

void AudioManager::playSound(std::string_view name, double volume) {
    if (name == "None") return;
    const auto id = themeSoundId(name);
    if (!id) {
        player_->beep();
        return;
    }
    player_->play(std::string(*id), clampedVolume(volume), platform::SoundPlayer::IfMissing::Beep);
}

void AudioManager::beep() {
    player_->beep();
}

void AudioManager::playSystemSound(std::string_view name) {
    const auto id = themeSoundId(name);
    if (!id) return;
    player_->play(std::string(*id), 1.0, platform::SoundPlayer::IfMissing::Silent);
}

}  // namespace clicktrove
