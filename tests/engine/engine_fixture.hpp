#pragma once

#include "engine/click_config.hpp"
#include "engine/click_engine.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_mouse_input.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/fake/manual_work_queue.hpp"
#include "platform/secure_random.hpp"

#include <gtest/gtest.h>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

namespace clicktrove::platform {
// Readable failures: kind, button, point (or "at pointer"), click state, lines.
void PrintTo(const MouseEvent& event, std::ostream* os);
}  // namespace clicktrove::platform

namespace clicktrove::testing {

// Draws come from a script; an empty script gives a fixed pseudo-random sequence.
class ScriptedRandom final : public platform::RandomSource {
public:
    std::uint64_t nextUInt64() override;
    // Makes the next uniformReal(lo, hi) return lo + (hi - lo) * u, for u in [0, 1].
    void pushUnit(double u);
    // Makes the next uniformInt(0, n - 1) return index (for n small enough to have no rejection).
    void pushIndex(std::uint64_t index);
    // Called at each draw, before it is made and outside the source's lock: lets a test act in the middle
    // of a tick, between its stop tests and its posting.
    void setOnDraw(std::function<void()> hook);

private:
    std::mutex mutex_;
    std::deque<std::uint64_t> script_;
    std::function<void()> onDraw_;
    std::uint64_t state_ = 0x9e3779b97f4a7c15ULL;
};

class RecordingDelegate final : public ClickEngineDelegate {
public:
    struct Update {
        std::int64_t totalClicks;
        std::int64_t cps;
        std::int64_t remainingClicks;
        double elapsedTime;
        ClickRunId run;
    };
    void clickEngineDidUpdate(ClickRunId run, std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                              double elapsedTime) override;
    void clickEngineDidStop(ClickRunId run, bool completed) override;

    std::vector<Update> updates() const;
    // The completed flag of each stopped report, and the run each came from.
    std::vector<bool> stops() const;
    std::vector<ClickRunId> stoppedRuns() const;
    // How many progress reports had arrived when each stopped report came.
    std::vector<std::size_t> updatesAtStops() const;

private:
    mutable std::mutex mutex_;
    std::vector<Update> updates_;
    std::vector<bool> stops_;
    std::vector<ClickRunId> stoppedRuns_;
    std::vector<std::size_t> updatesAtStops_;
};

// What an engine runs on, without the engine: the manual queues and the fake pointer, all on one FakeClock. For
// tests that make and destroy engines of their own.
class EngineSurroundings : public ::testing::Test {
protected:
    // A configuration for fast tests: 100 ms interval, fixed point (500, 400), no corner stop.
    ClickConfig baseConfig() const;

    platform::FakeClock clock;
    platform::ManualMainQueue mainQueue{clock};
    platform::ManualWorkQueue queue{clock};
    platform::FakeMouseInput input{clock};
    ScriptedRandom random;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

// An engine on those surroundings: a test steps ticks by moving time, and the cursor stays where the test puts
// it (clicks do not drag it into a corner).
class EngineTest : public EngineSurroundings {
protected:
    EngineTest();

    // Moves time on, firing due ticks, then delivers the reports.
    void advance(std::chrono::nanoseconds delta);
    // Fires the next timer only, wherever it lies, then delivers the reports.
    bool nextTick();
    // Moves time on in 1 ms steps, delivering the reports at each, as a main thread with time to spare does.
    void advanceDelivering(std::chrono::nanoseconds delta);
    std::vector<platform::MouseEvent> events() const { return input.events(); }
    // Monotonic time of each recorded event, relative to the moment the fixture was made.
    std::vector<std::chrono::nanoseconds> eventTimes() const;

    ClickEngine engine{input, mainQueue, queue, clock, random};
    const std::chrono::steady_clock::time_point origin = clock.monotonicNow();
};

}  // namespace clicktrove::testing
