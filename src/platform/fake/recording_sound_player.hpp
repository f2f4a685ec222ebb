#pragma once

#include "platform/sound_player.hpp"

#include <mutex>
#include <string>
#include <vector>

namespace clicktrove::platform {

// A sound player that plays nothing and records every request in order.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    struct Playback {
        bool isBeep = false;
        std::string soundId;  // empty for the beep
        double volume = 0.0;  // 0 for the beep
        IfMissing ifMissing = IfMissing::Silent;

        bool operator==(const Playback&) const = default;
    };

    void play(const std::string& soundId, double volume, IfMissing ifMissing) override;
    void beep() override;

    std::vector<Playback> playbacks() const;
    int beepCount() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Playback> playbacks_;
};

}  // namespace clicktrove::platform
