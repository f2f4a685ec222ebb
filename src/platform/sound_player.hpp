#pragma once

#include <string>

namespace clicktrove::platform {

// Plays sounds of the desktop's sound theme by their event id ("bell", "complete", ...). Every call returns at
// once and starts a playback of its own, so a call made while an earlier sound still plays is heard as well.
// Main thread only.
class SoundPlayer {
public:
    // What to do when the theme has no sound with the requested id.
    enum class IfMissing { Beep, Silent };

    virtual ~SoundPlayer() = default;

    // volume is a linear amplitude factor from 0 (silent) to 1 (the sound as recorded).
    virtual void play(const std::string& soundId, double volume, IfMissing ifMissing) = 0;
    // The desktop's alert beep at its own alert volume.
    virtual void beep() = 0;
};

}  // namespace clicktrove::platform
