#pragma once

#include "engine/click_config.hpp"
#include "engine/click_engine_delegate.hpp"
#include "engine/click_rate_window.hpp"
#include "engine/click_type.hpp"
#include "engine/screen_point.hpp"
#include "platform/clock.hpp"
#include "platform/main_queue.hpp"
#include "platform/mouse_input.hpp"
#include "platform/one_shot_timer.hpp"
#include "platform/secure_random.hpp"
#include "platform/work_queue.hpp"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace clicktrove {

// Executes one clicking run at a time on a serial queue of its own, driven by a strict one-shot timer that
// is re-armed after every tick. Each tick tests the stop conditions, posts one click, hold, scroll or drag
// through the input layer, counts and reports to the delegate on the main queue.
//
// Public operations may be called from any thread (the program calls them from the main thread). The engine
// must be destroyed on the main thread; destroying it neither stops a run nor releases a held button, but
// no tick or report runs after the destructor returns.
class ClickEngine {
public:
    static constexpr const char* kQueueLabel = "com.vaq.autoclicker.engine";

    // The program's engine: its own serial queue, the system clocks and the secure random source.
    ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue);
    // Everything injected. The queue, like every other argument, must outlive the engine.
    ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue, platform::WorkQueue& queue,
                const platform::Clock& clock, platform::RandomSource& random);
    ClickEngine(const ClickEngine&) = delete;
    ClickEngine& operator=(const ClickEngine&) = delete;
    ~ClickEngine();

    std::weak_ptr<ClickEngineDelegate> delegate() const;
    void setDelegate(std::weak_ptr<ClickEngineDelegate> delegate);

    // Begins a run with a copy of config; ignored while a run is active (paused included).
    void start(const ClickConfig& config);
    // Ends the active run, releases a held button and reports; ignored without an active run.
    void stop(bool completed);
    void pause();
    void resume();
    // Aborts a drag under way, releases every button at the cursor and stops with completed false.
    void emergencyStop();

    bool isRunning() const;
    bool isPaused() const;

private:
    using RunId = std::uint64_t;

    void tick();
    // Ends the run; with a run id only when that run is still the current one.
    void stopRun(std::optional<RunId> run, bool completed);
    // Arms the timer for one interval from now (with jitter). The lock must be held.
    void armNextTickLocked(const ClickConfig& config);
    double elapsedTimeLocked(Date now) const;

    // cursor: this tick's reading when it has one already.
    ScreenPoint nextClickPoint(const ClickConfig& config, std::optional<platform::GlobalPoint> cursor);
    // run: the tick's run, which alone may record a hold.
    void postClick(RunId run, ClickType type, ScreenPoint point);
    void postHoldEvent(ClickType type, bool down, ScreenPoint point);
    // Blocks the queue for about duration seconds; the emergency stop cuts it short within one step.
    void performDrag(ScreenPoint from, ScreenPoint to, double duration, std::stop_token abort);
    void releaseAllButtons();
    bool isCursorInScreenCorner(std::optional<platform::GlobalPoint> cursor);
    bool emergencyStopRequested() const;

    platform::MouseInput& input_;
    platform::MainQueue& mainQueue_;
    std::unique_ptr<platform::WorkQueue> ownedQueue_;
    platform::WorkQueue& queue_;
    const platform::Clock& clock_;
    platform::RandomSource& random_;
    // Reports posted to the main queue hold this weakly and do nothing once the engine is gone.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);

    mutable std::mutex stateLock_;
    std::unique_ptr<platform::OneShotTimer> timer_;
    // Shared with the ticks of the run so that a tick copies a pointer, not the coordinate list.
    std::shared_ptr<const ClickConfig> config_;
    RunId runId_ = 0;
    bool isRunningInternal_ = false;
    bool isPausedInternal_ = false;
    std::int64_t totalClicks_ = 0;
    std::optional<Date> startTime_;
    double pausedTimeAccumulated_ = 0;
    std::optional<Date> pauseStart_;
    ClickRateWindow clickTimestamps_;
    std::int64_t currentCoordIndex_ = 0;
    std::optional<ClickType> lastHeldType_;
    std::optional<ScreenPoint> lastHeldPoint_;
    bool emergencyStopRequested_ = false;
    // Requested together with the flag above: wakes a drag that sleeps between its steps.
    std::stop_source dragAbort_;
    std::weak_ptr<ClickEngineDelegate> delegate_;

    // Used by ticks only, which never run concurrently.
    std::vector<platform::ScreenRect> screens_;
};

}  // namespace clicktrove
