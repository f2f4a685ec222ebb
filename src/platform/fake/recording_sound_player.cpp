#include "platform/fake/recording_sound_player.hpp"

#include <algorithm>

namespace clicktrove::platform {

void RecordingSoundPlayer::play(const std::string& soundId, double volume, IfMissing ifMissing) {
    std::lock_guard lock(mutex_);
    playbacks_.push_back({false, soundId, volume, ifMissing});
}

void RecordingSoundPlayer::beep() {
    std::lock_guard lock(mutex_);
    playbacks_.push_back({true, {}, 0.0, IfMissing::Silent});
}

std::vector<RecordingSoundPlayer::Playback> RecordingSoundPlayer::playbacks() const {
    std::lock_guard lock(mutex_);
    return playbacks_;
}

int RecordingSoundPlayer::beepCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(
        std::count_if(playbacks_.begin(), playbacks_.end(), [](const Playback& p) { return p.isBeep; }));
}

void RecordingSoundPlayer::clear() {
    std::lock_guard lock(mutex_);
    playbacks_.clear();
}

}  // namespace clicktrove::platform
