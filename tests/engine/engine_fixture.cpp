#include "engine_fixture.hpp"

#include <algorithm>

namespace clicktrove::platform {

void PrintTo(const MouseEvent& e, std::ostream* os) {
    static const char* const kinds[] = {"down", "up", "moved", "dragged", "scroll"};
    static const char* const buttons[] = {"left", "right", "middle"};
    *os << kinds[static_cast<int>(e.kind)] << ' ' << buttons[static_cast<int>(e.button)];
    if (e.atPointer) {
        *os << " at pointer";
    } else {
        *os << " (" << e.point.x << ", " << e.point.y << ")";
    }
    *os << " state " << e.clickState << " lines " << e.lines;
}

}  // namespace clicktrove::platform

namespace clicktrove::testing {

std::uint64_t ScriptedRandom::nextUInt64() {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = onDraw_;
    }
    if (hook) hook();
    std::lock_guard lock(mutex_);
    if (!script_.empty()) {
        const auto v = script_.front();
        script_.pop_front();
        return v;
    }
    // splitmix64
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

void ScriptedRandom::pushUnit(double u) {
    // uniformReal draws uniformInt(0, 2^53) and scales it by 2^-53.
    std::lock_guard lock(mutex_);
    script_.push_back(static_cast<std::uint64_t>(u * static_cast<double>(std::uint64_t{1} << 53)));
}

void ScriptedRandom::setOnDraw(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    onDraw_ = std::move(hook);
}

void ScriptedRandom::pushIndex(std::uint64_t index) {
    std::lock_guard lock(mutex_);
    script_.push_back(index);
}

void RecordingDelegate::clickEngineDidUpdate(ClickRunId run, std::int64_t totalClicks, std::int64_t cps,
                                             std::int64_t remainingClicks, double elapsedTime) {
    std::lock_guard lock(mutex_);
    updates_.push_back({totalClicks, cps, remainingClicks, elapsedTime, run});
}

void RecordingDelegate::clickEngineDidStop(ClickRunId run, bool completed) {
    std::lock_guard lock(mutex_);
    stops_.push_back(completed);
    stoppedRuns_.push_back(run);
    updatesAtStops_.push_back(updates_.size());
}

std::vector<RecordingDelegate::Update> RecordingDelegate::updates() const {
    std::lock_guard lock(mutex_);
    return updates_;
}

std::vector<bool> RecordingDelegate::stops() const {
    std::lock_guard lock(mutex_);
    return stops_;
}

std::vector<ClickRunId> RecordingDelegate::stoppedRuns() const {
    std::lock_guard lock(mutex_);
    return stoppedRuns_;
}

std::vector<std::size_t> RecordingDelegate::updatesAtStops() const {
    std::lock_guard lock(mutex_);
    return updatesAtStops_;
}

EngineTest::EngineTest() {
    engine.setDelegate(delegate);
    input.setCursorFollowsEvents(false);
}

ClickConfig EngineSurroundings::baseConfig() const {
    ClickConfig c(clock.now());
    c.intervalSeconds = 0;
    c.intervalMilliseconds = 100;
    c.positionMode = ClickPositionMode::fixed;
    c.fixedCoordinates = {{500, 400}};
    c.edgeStopEnabled = false;
    return c;
}

void EngineTest::advance(std::chrono::nanoseconds delta) {
    queue.advance(delta);
    mainQueue.drain();
}

void EngineTest::advanceDelivering(std::chrono::nanoseconds delta) {
    const auto end = clock.monotonicNow() + delta;
    mainQueue.drain();
    while (clock.monotonicNow() < end) {
        queue.advance(std::min<std::chrono::nanoseconds>(std::chrono::milliseconds(1), end - clock.monotonicNow()));
        mainQueue.drain();
    }
}

bool EngineTest::nextTick() {
    const bool fired = queue.fireNextTimer();
    mainQueue.drain();
    return fired;
}

std::vector<std::chrono::nanoseconds> EngineTest::eventTimes() const {
    std::vector<std::chrono::nanoseconds> out;
    for (const auto& r : input.recorded()) out.push_back(r.time - origin);
    return out;
}

}  // namespace clicktrove::testing
