#include "services/coordinate_recorder.hpp"

#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_mouse_input.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/fake/recording_sound_player.hpp"
#include "services/audio_manager.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace clicktrove {
namespace {

using namespace std::chrono_literals;
using platform::GlobalPoint;
using Playback = platform::RecordingSoundPlayer::Playback;

const Playback kBeep{true, {}, 0.0, platform::SoundPlayer::IfMissing::Silent};
// "Glass" without the beep standing in when the theme lacks it.
const Playback kGlass{false, "complete", 1.0, platform::SoundPlayer::IfMissing::Silent};

class CoordinateRecorderTest : public ::testing::Test {
protected:
    CoordinateRecorderTest()
        : queue(clock),
          mouse(clock),
          player(std::make_shared<platform::RecordingSoundPlayer>()),
          audio(player),
          recorder(std::make_unique<CoordinateRecorder>(queue, mouse, audio)) {}

    CoordinateRecorder::Completion collectInto(std::vector<GlobalPoint>& points) {
        return [&points](GlobalPoint p) { points.push_back(p); };
    }

    platform::FakeClock clock;
    platform::ManualMainQueue queue;
    platform::FakeMouseInput mouse;
    std::shared_ptr<platform::RecordingSoundPlayer> player;
    AudioManager audio;
    std::unique_ptr<CoordinateRecorder> recorder;
};

TEST_F(CoordinateRecorderTest, CountsDownWithFourBeepsThenCapturesOnceAtFiveSeconds) {
    std::vector<int> published;
    QObject::connect(recorder.get(), &CoordinateRecorder::countdownRemainingChanged,
                     [&] { published.push_back(recorder->countdownRemaining()); });
    std::vector<GlobalPoint> points;
    std::vector<Playback> soundsAtCompletion;
    recorder->startRecording([&](GlobalPoint p) {
        points.push_back(p);
        soundsAtCompletion = player->playbacks();
        EXPECT_FALSE(recorder->isRecording());
    });
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->countdownRemaining(), 5);

    struct Step {
        int remaining;
        int beeps;
    };
    const Step timeline[] = {{4, 1}, {3, 2}, {2, 3}, {1, 4}};
    for (const Step& step : timeline) {
        queue.advance(1s);
        EXPECT_EQ(recorder->countdownRemaining(), step.remaining);
        EXPECT_EQ(player->beepCount(), step.beeps);
        EXPECT_TRUE(recorder->isRecording());
    }
    // The point is read at the end, not at the start.
    mouse.setCursor(GlobalPoint{640, 360});
    queue.advance(999ms);
    EXPECT_TRUE(points.empty());
    queue.advance(1ms);

    EXPECT_EQ(points, (std::vector<GlobalPoint>{GlobalPoint{640, 360}}));
    EXPECT_EQ(soundsAtCompletion, (std::vector<Playback>{kBeep, kBeep, kBeep, kBeep, kGlass}));
    EXPECT_EQ(recorder->countdownRemaining(), 0);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(published, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    queue.advance(10s);
    EXPECT_EQ(points.size(), 1u);
    EXPECT_EQ(player->playbacks().size(), 5u);
    EXPECT_EQ(queue.pendingDelayed(), 0u);
}

TEST_F(CoordinateRecorderTest, RestartingMidwayDeliversOnlyToTheSecondCompletionFiveSecondsLater) {
    std::vector<GlobalPoint> first, second;
    recorder->startRecording(collectInto(first));
    queue.advance(2s);
    recorder->startRecording(collectInto(second));
    EXPECT_EQ(recorder->countdownRemaining(), 5);
    queue.advance(4999ms);
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(recorder->countdownRemaining(), 1);
    queue.advance(1ms);
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(second.size(), 1u);
    // Two beeps of the first count, four of the second.
    EXPECT_EQ(player->beepCount(), 6);
    queue.advance(10s);
    EXPECT_EQ(second.size(), 1u);
}

TEST_F(CoordinateRecorderTest, CancelStopsBeepsAndCaptureAndResetsTheCount) {
    std::vector<GlobalPoint> points;
    recorder->startRecording(collectInto(points));
    queue.advance(2500ms);
    recorder->cancel();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->countdownRemaining(), 0);
    queue.advance(10s);
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(player->beepCount(), 2);
    EXPECT_EQ(player->playbacks().size(), 2u);
    EXPECT_EQ(queue.pendingDelayed(), 0u);
}

TEST_F(CoordinateRecorderTest, ThePointIsInGlobalCoordinates) {
    const GlobalPoint cases[] = {{0, 0}, {0, 900}, {1919, 1079}, {-1280, 200}};
    for (const GlobalPoint cursor : cases) {
        std::vector<GlobalPoint> points;
        mouse.setCursor(cursor);
        recorder->startRecording(collectInto(points));
        queue.advance(5s);
        EXPECT_EQ(points, std::vector<GlobalPoint>{cursor}) << cursor.x << "," << cursor.y;
    }
}

TEST_F(CoordinateRecorderTest, AnUnreadablePointerEndsTheCountWithoutAPointOrTheConfirmation) {
    std::vector<GlobalPoint> points;
    mouse.setCursor(std::nullopt);
    recorder->startRecording(collectInto(points));
    queue.advance(5s);
    EXPECT_TRUE(points.empty());
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(player->playbacks(), (std::vector<Playback>{kBeep, kBeep, kBeep, kBeep}));
}

TEST_F(CoordinateRecorderTest, ACompletionMayStartTheNextCapture) {
    std::vector<GlobalPoint> points;
    std::function<void(GlobalPoint)> again = [&](GlobalPoint p) {
        points.push_back(p);
        if (points.size() < 2) recorder->startRecording(again);
    };
    recorder->startRecording(again);
    queue.advance(5s);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->countdownRemaining(), 5);
    queue.advance(5s);
    EXPECT_EQ(points.size(), 2u);
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(CoordinateRecorderTest, DestroyingTheRecorderMidCountLeavesNothingScheduled) {
    std::vector<GlobalPoint> points;
    recorder->startRecording(collectInto(points));
    queue.advance(1s);
    recorder.reset();
    EXPECT_EQ(queue.pendingDelayed(), 0u);
    queue.advance(10s);
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(player->beepCount(), 1);
}

}  // namespace
}  // namespace clicktrove
