#include "platform/canberra_sound_player.hpp"

#include "platform/alternate_signal_stack.hpp"

#include <canberra.h>
#include <cmath>
#include <cstdio>
#include <utility>

namespace clicktrove::platform {

namespace {

constexpr const char* kBellId = "bell";

}  // namespace

CanberraSoundPlayer::CanberraSoundPlayer() = default;

CanberraSoundPlayer::CanberraSoundPlayer(Output output) : output_(std::move(output)) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::optional<std::string> CanberraSoundPlayer::decibels(double volume) {
    if (!(volume > 0.0)) return std::nullopt;
    if (volume > 1.0) volume = 1.0;
    // snprintf, not std::to_chars: it must produce the decimal separator that strtod in libcanberra expects
    // under the locale the application runs with (Qt sets it from the environment).
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", 20.0 * std::log10(volume));
    return std::string(text);
}

void CanberraSoundPlayer::play(const std::string& soundId, double volume, IfMissing ifMissing) {
    auto level = decibels(volume);
    // A silent volume plays nothing at all: no sound and no beep in its place.
    if (!level) return;
    enqueue({soundId, std::move(level), ifMissing});
}

void CanberraSoundPlayer::beep() {
    enqueue({kBellId, std::nullopt, IfMissing::Silent});
}

void CanberraSoundPlayer::enqueue(Request request) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || pending_.size() >= kMaxPending) return;
        pending_.push_back(std::move(request));
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

std::size_t CanberraSoundPlayer::pendingRequests() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

void CanberraSoundPlayer::run() {
    useAlternateSignalStack();
    if (output_) {
        context_ = nullptr;
    } else if (ca_context_create(&context_) == CA_SUCCESS) {
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Clicktrove", nullptr);
    } else {
        context_ = nullptr;
    }
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_) break;
            request = std::move(pending_.front());
            pending_.pop_front();
        }
        if (context_ || output_) perform(request);
    }
    if (context_) ca_context_destroy(context_);
    context_ = nullptr;
}

void CanberraSoundPlayer::perform(const Request& request) {
    const Outcome outcome = playOnce(request.soundId, request.volume);
    if (outcome == Outcome::notFound && request.ifMissing == IfMissing::Beep && request.soundId != kBellId) {
        playOnce(kBellId, std::nullopt);
    }
}

CanberraSoundPlayer::Outcome CanberraSoundPlayer::playOnce(const std::string& soundId,
                                                           const std::optional<std::string>& volume) {
    if (output_) return output_(soundId, volume);
    ca_proplist* props = nullptr;
    if (ca_proplist_create(&props) != CA_SUCCESS) return Outcome::failed;
    ca_proplist_sets(props, CA_PROP_EVENT_ID, soundId.c_str());
    if (volume) ca_proplist_sets(props, CA_PROP_CANBERRA_VOLUME, volume->c_str());
    // Click sounds repeat many times a second: keep the sample in the sound server after the first upload.
    ca_proplist_sets(props, CA_PROP_CANBERRA_CACHE_CONTROL, "permanent");
    // Id 0 for every playback: nothing is ever cancelled, so overlapping sounds all play to the end.
    const int result = ca_context_play_full(context_, 0, props, nullptr, nullptr);
    ca_proplist_destroy(props);
    if (result == CA_SUCCESS) return Outcome::played;
    return result == CA_ERROR_NOTFOUND ? Outcome::notFound : Outcome::failed;
}

}  // namespace clicktrove::platform
