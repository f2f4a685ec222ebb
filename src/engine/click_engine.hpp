#pragma once

#include "engine/click_config.hpp"
#include "engine/click_engine_delegate.hpp"
#include "engine/click_type.hpp"
#include "engine/progress_pacer.hpp"
#include "engine/run_report_delivery.hpp"
#include "engine/run_tally.hpp"
#include "engine/screen_point.hpp"
#include "platform/clock.hpp"
#include "platform/main_queue.hpp"
#include "platform/mouse_input.hpp"
#include "platform/one_shot_timer.hpp"
#include "platform/secure_random.hpp"
#include "platform/work_queue.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <vector>

namespace clicktrove {

// Executes one clicking run at a time on a serial queue of its own, driven by a strict one-shot timer that
// is re-armed after every tick on a fixed grid: each deadline lies one interval (jitter drawn per tick) after
// the previous one, so neither a tick's own work nor a late wake-up stretches the period; only a drag's
// duration adds to it (the next tick comes an interval after the drag ended). Each tick tests the stop
// conditions, posts one click, hold, scroll or drag through the input layer, counts and reports to the
// delegate on the main queue. A pause lets go of what the run holds at once: a held button, and a drag under
// way, whose button comes up where the pointer is. After a resume the next tick comes after what was left of
// the wait at the pause (an interval after a drag the pause cut short), and never sooner than a new run's
// first tick (300 ms); the grid starts again from it.
//
// Reports: a run whose configured interval is at least kReportPace reports every tick that clicked. A faster
// run still counts every click, but its reports reach the main queue at most once per kReportPace, each
// carrying the newest totals (ProgressPacer): a 1 ms run would otherwise queue a thousand reports a second
// for the main thread to work through. Either way a run's last totals arrive no later than its stopped
// report, just ahead of it, and nothing of a run arrives after it. A click is counted as it goes out, so the
// stopped report has every click of the run, those the pace held back included.
//
// Public operations may be called from any thread (the program calls them from the main thread, and the
// emergency stop and the stop shortcut also from the thread that watches the keyboard). Once stop() or
// emergencyStop() has returned, no tick of that run posts anything more, nor once pause() has returned until
// the resume (but a drag's release, where the pointer is). The engine must be destroyed on the
// main thread; destroying it ends a run still going without reporting it and lets go of the button that run
// holds (a hold's, or a drag's under way), and no tick or report runs after the destructor returns.
class ClickEngine {
public:
    static constexpr const char* kQueueLabel = "com.vaq.autoclicker.engine";
    // The shortest spacing of a fast run's reports, and the configured interval below which a run is fast.
    // 20 updates a second is as fast as a person reads a counter.
    static constexpr std::chrono::milliseconds kReportPace{50};

    // The program's engine: its own serial queue at a raised priority, the system clocks and the secure
    // random source.
    ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue);
    // Everything injected. The queue, like every other argument, must outlive the engine.
    ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue, platform::WorkQueue& queue,
                const platform::Clock& clock, platform::RandomSource& random);
    ClickEngine(const ClickEngine&) = delete;
    ClickEngine& operator=(const ClickEngine&) = delete;
    ~ClickEngine();

    std::weak_ptr<ClickEngineDelegate> delegate() const;
    void setDelegate(std::weak_ptr<ClickEngineDelegate> delegate);
    // Called on the engine's queue before each tick's events go out, holding none of the engine's locks (it
    // may stop the run; the tick then posts nothing). The program lets the key watcher hand out the presses
    // that have arrived, so that an Escape already on its way stops the run before one more click.
    void setBeforeClick(std::function<void()> hook);

    // Begins a run with a copy of config and returns the run's identity, which its reports carry; ignored
    // (none) while a run is active, paused included.
    std::optional<ClickRunId> start(const ClickConfig& config);
    // Ends the active run, cuts a drag under way short (its button is released at once), releases a held
    // button and reports; ignored without an active run. A click on its way out goes first.
    void stop(bool completed);
    // Lets a held button go and cuts a drag under way short (its button comes up where the pointer is, and it
    // counts as one click, as at a stop); nothing is reported. A click on its way out goes first.
    void pause();
    // The held button goes down again with the next tick, not at once.
    void resume();
    // Releases every button at the cursor and stops with completed false; also without an active run.
    void emergencyStop();

    bool isRunning() const;
    bool isPaused() const;
    // Main thread: delivers at once the stopped reports of the runs that have stopped, each with its final totals
    // ahead of it, which otherwise come on a later turn of the main queue (a quitting program has none). The
    // reports still queued then deliver nothing.
    void deliverStoppedReports();

private:
    using RunId = ClickRunId;
    using Deadline = platform::OneShotTimer::Deadline;

    // What a stop took from the run's state, to finish outside the lock.
    struct EndedRun {
        RunId run = 0;
        std::optional<ClickType> heldType;
        std::optional<ScreenPoint> heldPoint;
        std::unique_ptr<platform::OneShotTimer> timer;
        std::shared_ptr<RunTally> tally;
    };
    // What a tick took from the run's state at its first look.
    struct Tick {
        std::shared_ptr<const ClickConfig> config;
        std::shared_ptr<const std::function<void()>> beforeClick;
        // The tick's run's own: a stop, and a start after it, may come while the tick posts.
        std::shared_ptr<RunTally> tally;
        RunId run = 0;
        std::int64_t totalBefore = 0;
        // Requested by a stop or a pause since the tick began: it posts nothing more.
        std::stop_token abort;
        Deadline deadline{};
        Deadline firedAt{};
        std::uint64_t resumes = 0;
        // Where the pointer is, read for this tick when it needs to know.
        bool cursorRead = false;
        std::optional<platform::GlobalPoint> cursor;
    };

    void tick();
    std::optional<Tick> beginTick(Deadline firedAt);
    // Ends the run when a stop condition holds before the tick clicks; true then.
    bool stopsBeforeClicking(const Tick& tick);
    // False when nothing was posted.
    bool postTick(const Tick& tick);
    // Lays the next deadline and reports.
    void finishTick(const Tick& tick);
    // Ends the run; with a run id only when that run is still the current one.
    void stopRun(std::optional<RunId> run, bool completed);
    std::optional<EndedRun> endRunLocked(std::optional<RunId> run);
    void finishStop(EndedRun ended, bool completed);
    // Arms the timer one interval (with jitter) after base, and not before notBefore. The lock must be held.
    void armNextTickLocked(const ClickConfig& config, Deadline base, std::optional<Deadline> notBefore = {});
    // Arms the timer for the scheduled start, or atLeast from now when that is later, but no further ahead than
    // the next look at the wall clock. The lock must be held.
    void armTowardsScheduledStartLocked(Date wallNow, std::chrono::nanoseconds atLeast);

    // The point this tick clicks at; none: wherever the pointer is. cursor: this tick's reading, when the
    // target needs one.
    std::optional<ScreenPoint> nextClickPoint(const ClickConfig& config, RunId run,
                                              std::optional<platform::GlobalPoint> cursor);
    // Where radius jitter centres at the cursor: the user's position, which the jittered clicks themselves
    // must not drag along.
    std::optional<platform::GlobalPoint> jitterAnchor(RunId run, std::optional<platform::GlobalPoint> cursor);
    // Posts one tick's events unless the run has ended or been paused since the tick began, and counts them
    // into its run's tally before the gate opens. False when nothing was posted.
    bool postClick(const Tick& tick, std::optional<ScreenPoint> point);
    bool postForRun(const Tick& tick, std::span<const platform::MouseEvent> events, std::int64_t clicks,
                    bool lasting = false);
    // Whether the tick may post. The lock must be held.
    bool mayPostLocked(const Tick& tick) const;
    void countPosted(const Tick& tick, std::int64_t clicks, bool lasting);
    // point none: wherever the pointer is.
    void postHoldEvent(ClickType type, bool down, std::optional<ScreenPoint> point);
    // Blocks the queue for about the drag's duration; a stop or a pause cuts it short within one step. False
    // when the run ended or was paused before the button went down.
    bool performDrag(const Tick& tick);
    void releaseDrag(const Tick& tick, platform::GlobalPoint at);
    void releaseAllButtons();
    bool isCursorInScreenCorner(std::optional<platform::GlobalPoint> cursor);

    platform::MouseInput& input_;
    platform::MainQueue& mainQueue_;
    std::unique_ptr<platform::WorkQueue> ownedQueue_;
    platform::WorkQueue& queue_;
    const platform::Clock& clock_;
    platform::RandomSource& random_;
    // Reports posted to the main queue hold this weakly and do nothing once the engine is gone.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);

    // Held by a tick from its last look at the run's state to the end of its posting and its count, and taken
    // by every stop once it has ended the run and every pause once it has paused it: a stop or a pause thus
    // waits for a click already on its way (a few microseconds), no click can follow its releases, and a stop
    // finds every click that went out counted. Taken before stateLock_, never while holding it; and so no stop
    // or pause may be made from inside a posting on the thread that posts.
    std::mutex postGate_;
    mutable std::mutex stateLock_;
    std::unique_ptr<platform::OneShotTimer> timer_;
    // Shared with the ticks of the run so that a tick copies a pointer, not the coordinate list.
    std::shared_ptr<const ClickConfig> config_;
    RunId runId_ = 0;
    bool isRunningInternal_ = false;
    bool isPausedInternal_ = false;
    // The current run's; a tick and a stop keep theirs while a newer run starts.
    std::shared_ptr<RunTally> tally_;
    std::int64_t currentCoordIndex_ = 0;
    std::optional<ClickType> lastHeldType_;
    // None with a held type: held wherever the pointer was, and released there.
    std::optional<ScreenPoint> lastHeldPoint_;
    // The deadline the timer is armed for, the grid the next one is laid on.
    Deadline deadline_{};
    // The deadline whose tick got past its first look at the run's state: while it equals deadline_ and nothing
    // is pending, that tick is under way.
    Deadline servedDeadline_{};
    // What was left of the wait for the next tick when the run was paused: during a drag's tick, which the
    // pause ends, an interval, as after any drag.
    std::chrono::nanoseconds leftAtPause_{0};
    // Counts resumes: a tick during which one came leaves the deadline it laid in place.
    std::uint64_t resumes_ = 0;
    // No tick has clicked yet and the scheduled start lies ahead on the wall clock.
    bool awaitingScheduledStart_ = false;
    // Requested by every stop and pause: a tick under way posts nothing more, and a drag under way ends, woken
    // from its sleep between steps. A pause gives the ticks after it a fresh one.
    std::stop_source tickAbort_;
    std::weak_ptr<ClickEngineDelegate> delegate_;
    std::shared_ptr<const std::function<void()>> beforeClick_;

    ProgressPacer pacer_;
    RunReportDelivery reports_;

    // Used by ticks only, which never run concurrently.
    std::vector<platform::ScreenRect> screens_;
    std::optional<platform::GlobalPoint> anchor_;
    RunId anchorRun_ = 0;
};

}  // namespace clicktrove
