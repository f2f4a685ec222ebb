#include "platform/fake/fake_clock.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/fake/recording_sound_player.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "services/audio_manager.hpp"
#include "services/coordinate_recorder.hpp"
#include "support/child_process.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace clicktrove {
namespace {

using namespace std::chrono_literals;
using clicktrove::testing::runCommand;
using platform::GlobalPoint;

// The real pointer of the test server, with the countdown on a manual clock.
TEST(CoordinateRecorderX11, CapturesTheRealPointerInGlobalCoordinates) {
    platform::FakeClock clock;
    platform::ManualMainQueue queue(clock);
    platform::X11MouseInput mouse;
    AudioManager audio(std::make_shared<platform::RecordingSoundPlayer>());
    CoordinateRecorder recorder(queue, mouse, audio);

    const GlobalPoint cases[] = {{0, 0}, {50, 700}, {1919, 1079}};
    for (const GlobalPoint target : cases) {
        std::vector<GlobalPoint> points;
        recorder.startRecording([&](GlobalPoint p) { points.push_back(p); });
        queue.advance(4s);
        // The user moves the mouse during the countdown; the point is where it rests at the end.
        ASSERT_EQ(runCommand(
                      {"xdotool", "mousemove", "--sync", std::to_string(int(target.x)), std::to_string(int(target.y))}),
                  0);
        queue.advance(1s);
        EXPECT_EQ(points, std::vector<GlobalPoint>{target}) << target.x << "," << target.y;
    }
}

}  // namespace
}  // namespace clicktrove
