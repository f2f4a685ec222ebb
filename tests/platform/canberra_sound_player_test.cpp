#include "platform/canberra_sound_player.hpp"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

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

// An output in place of the sound server: records each sound, answers "not found" for the ids it is told, and
// can hold the worker inside its first call until the test lets it go.
class ScriptedOutput {
public:
    struct Played {
        std::string soundId;
        std::optional<std::string> decibels;
        friend bool operator==(const Played&, const Played&) = default;
    };

    CanberraSoundPlayer::Output output() {
        return [this](const std::string& id, const std::optional<std::string>& decibels) {
            std::unique_lock lock(mutex_);
            played_.push_back({id, decibels});
            changed_.notify_all();
            if (played_.size() == 1) changed_.wait(lock, [this] { return !holdFirst_; });
            return missing_.count(id) != 0 ? CanberraSoundPlayer::Outcome::notFound
                                           : CanberraSoundPlayer::Outcome::played;
        };
    }

    void holdFirst() { holdFirst_ = true; }
    void release() {
        std::lock_guard lock(mutex_);
        holdFirst_ = false;
        changed_.notify_all();
    }
    void setMissing(std::set<std::string> ids) { missing_ = std::move(ids); }

    // Waits (at most a generous while, for a busy machine) until n sounds have been handed over.
    bool waitForCount(std::size_t n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 30s, [&] { return played_.size() >= n; });
    }
    std::vector<Played> played() const {
        std::lock_guard lock(mutex_);
        return played_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Played> played_;
    bool holdFirst_ = false;
    std::set<std::string> missing_;
};

TEST(CanberraSoundPlayer, AMissingSoundBeepsOnlyWhenAskedToAndSilenceQueuesNothing) {
    const struct {
        const char* name;
        std::string id;
        double volume;
        SoundPlayer::IfMissing ifMissing;
        std::vector<ScriptedOutput::Played> expected;
    } cases[] = {
        {"found", "complete", 0.5, SoundPlayer::IfMissing::Beep, {{"complete", "-6.02"}}},
        {"missing, beep", "gone", 1.0, SoundPlayer::IfMissing::Beep, {{"gone", "0.00"}, {"bell", std::nullopt}}},
        {"missing, silent", "gone", 1.0, SoundPlayer::IfMissing::Silent, {{"gone", "0.00"}}},
        {"the bell itself missing", "bell", 1.0, SoundPlayer::IfMissing::Beep, {{"bell", "0.00"}}},
        {"silent volume", "complete", 0.0, SoundPlayer::IfMissing::Beep, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedOutput output;
        output.setMissing({"gone", "bell"});
        {
            CanberraSoundPlayer player(output.output());
            player.play(c.id, c.volume, c.ifMissing);
            player.beep();  // a marker behind it: once it is handed over, the request before it is done
            ASSERT_TRUE(output.waitForCount(c.expected.size() + 1));
        }
        auto expected = c.expected;
        expected.push_back({"bell", std::nullopt});
        EXPECT_EQ(output.played(), expected);
    }
}

// At a 1 ms interval the sounds come far faster than a slow server plays them: the oldest sixteen wait, later
// ones are dropped, and the worker catches up with what waited.
TEST(CanberraSoundPlayer, SixteenRequestsWaitAtMostAndLaterOnesAreDropped) {
    ScriptedOutput output;
    output.holdFirst();
    CanberraSoundPlayer player(output.output());
    player.play("0", 1.0, SoundPlayer::IfMissing::Silent);
    ASSERT_TRUE(output.waitForCount(1));  // the worker now holds the first and takes nothing else
    for (int i = 1; i <= 20; ++i) player.play(std::to_string(i), 1.0, SoundPlayer::IfMissing::Silent);
    player.beep();
    EXPECT_EQ(player.pendingRequests(), CanberraSoundPlayer::kMaxPending);

    output.release();
    ASSERT_TRUE(output.waitForCount(1 + CanberraSoundPlayer::kMaxPending));
    std::vector<std::string> ids;
    for (const auto& p : output.played()) ids.push_back(p.soundId);
    std::vector<std::string> expected;
    for (int i = 0; i <= 16; ++i) expected.push_back(std::to_string(i));
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(player.pendingRequests(), 0u);
}

// Shutting down waits for the sound being handed over, drops what still waits and does not hang.
TEST(CanberraSoundPlayer, ShutsDownWithRequestsQueuedAndPlaysNoneOfThem) {
    ScriptedOutput output;
    std::atomic<bool> queued{false};
    CanberraSoundPlayer* observed = nullptr;
    {
        // The first sound returns only once the destructor has emptied the queue, so the worker cannot take
        // another request in between.
        auto inner = output.output();
        CanberraSoundPlayer player([&](const std::string& id, const std::optional<std::string>& decibels) {
            const auto outcome = inner(id, decibels);
            if (id == "first") {
                const auto deadline = std::chrono::steady_clock::now() + 30s;
                while ((!queued.load() || observed->pendingRequests() != 0) &&
                       std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(1ms);
                }
            }
            return outcome;
        });
        observed = &player;
        player.play("first", 1.0, SoundPlayer::IfMissing::Silent);
        ASSERT_TRUE(output.waitForCount(1));
        for (int i = 0; i < 5; ++i) player.play("queued", 1.0, SoundPlayer::IfMissing::Beep);
        player.beep();
        EXPECT_EQ(player.pendingRequests(), 6u);
        queued = true;
    }
    EXPECT_EQ(output.played(), (std::vector<ScriptedOutput::Played>{{"first", "0.00"}}));
}

// Whatever the machine's sound setup (here usually none), the libcanberra player takes requests and shuts its
// worker down with some still queued.
TEST(CanberraSoundPlayer, TheLibcanberraPlayerShutsDownWithRequestsQueued) {
    CanberraSoundPlayer player;
    for (std::size_t i = 0; i < CanberraSoundPlayer::kMaxPending + 4; ++i) {
        player.play("complete", 0.5, SoundPlayer::IfMissing::Beep);
    }
    player.play("no-such-sound-id", 0.5, SoundPlayer::IfMissing::Beep);
    player.beep();
    EXPECT_LE(player.pendingRequests(), CanberraSoundPlayer::kMaxPending);
}

}  // namespace
}  // namespace clicktrove::platform
