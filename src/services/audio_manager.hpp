#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string_view>

namespace clicktrove {

namespace platform {
class SoundPlayer;
}

// Plays the program's short feedback sounds by name: the click sound of a run, the preview of the Settings
// screen, the countdown beep and the confirmation sound of coordinate capture. Main thread only; every call
// returns at once (playback runs elsewhere).
class AudioManager final {
public:
    // The names the settings offer, in the order the sound picker lists them. "None" means silence.
    static constexpr std::array<std::string_view, 15> availableSounds = {
        "None", "Tink",  "Basso", "Blow", "Bottle", "Frog",   "Funk",     "Glass",
        "Hero", "Morse", "Ping",  "Pop",  "Purr",   "Sosumi", "Submarine"};

    // An instance that plays through the desktop's sound service, as the shared one does.
    static std::unique_ptr<AudioManager> makeStandard();
    // The process-wide instance, made by makeStandard() on first use (thread-safe) and kept until the process
    // ends.
    static AudioManager& shared();

    // An instance over the given player; tests pass a recording fake.
    explicit AudioManager(std::shared_ptr<platform::SoundPlayer> player);
    ~AudioManager();
    AudioManager(const AudioManager&) = delete;
    AudioManager& operator=(const AudioManager&) = delete;

    // Plays the named sound at volume (clamped to 0...1). "None" plays nothing; a name without a sound
    // (any other text, "none" included) plays the beep instead.
    void playSound(std::string_view name, double volume);
    // The alert beep.
    void beep();
    // Plays the named sound at full volume; a name without a sound plays nothing (no beep stands in).
    void playSystemSound(std::string_view name);

    // The sound-theme event id that stands for one of the names above; none for "None" and unknown names.
    static std::optional<std::string_view> themeSoundId(std::string_view name);

private:
    std::shared_ptr<platform::SoundPlayer> player_;
};

}  // namespace clicktrove
