#pragma once

#include "platform/sound_player.hpp"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct ca_context;

namespace clicktrove::platform {

// Plays theme sounds through libcanberra (PulseAudio/PipeWire or ALSA). libcanberra's calls can wait on the
// sound server (connecting, uploading a sample), so they all run on one worker thread that owns the context;
// play() and beep() only queue a request.
class CanberraSoundPlayer final : public SoundPlayer {
public:
    // What became of one sound handed to the sound server.
    enum class Outcome { played, notFound, failed };
    // Plays one theme sound at a volume in decibels (none: the server's default level). Runs on the worker.
    using Output = std::function<Outcome(const std::string& soundId, const std::optional<std::string>& decibels)>;

    // Plays through libcanberra.
    CanberraSoundPlayer();
    // Plays through the given output instead (tests).
    explicit CanberraSoundPlayer(Output output);
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
    CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

    void play(const std::string& soundId, double volume, IfMissing ifMissing) override;
    void beep() override;

    // libcanberra's volume property for a linear volume: decibels relative to the sound as recorded, in the
    // number format of the current C locale (libcanberra reads it with strtod). None for a silent volume.
    static std::optional<std::string> decibels(double volume);

    // Requests waiting beyond this many are dropped: at a 1 ms click interval a slow sound server would
    // otherwise let the queue grow without bound, and late click sounds are worthless anyway.
    static constexpr std::size_t kMaxPending = 16;
    // How many requests wait for the worker (not counting the one it is playing).
    std::size_t pendingRequests() const;

private:
    struct Request {
        std::string soundId;
        std::optional<std::string> volume;  // decibels; none: the server's default level
        IfMissing ifMissing;
    };

    void enqueue(Request request);
    void run();
    void perform(const Request& request);
    Outcome playOnce(const std::string& soundId, const std::optional<std::string>& volume);

    Output output_;  // empty: libcanberra
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> pending_;
    bool stopping_ = false;
    std::thread worker_;             // started with the first request
    ca_context* context_ = nullptr;  // worker thread only
};

}  // namespace clicktrove::platform
