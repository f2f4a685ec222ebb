#include "engine/click_engine.hpp"

#include "platform/serial_queue.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace clicktrove {

namespace {

using platform::GlobalPoint;
using platform::MouseButton;
using platform::MouseEvent;
using Deadline = platform::OneShotTimer::Deadline;

constexpr auto kFirstTickDelay = std::chrono::milliseconds(300);
// The monotonic clock stands still while the machine is suspended; a wait for a scheduled start looks at the
// wall clock at least this often, so a suspend (or a change of the clock) moves the start by no more than this.
constexpr auto kWallClockCheck = std::chrono::seconds(1);
constexpr double kCornerDistance = 3.0;
constexpr int kDragSteps = 10;
constexpr int kScrollLines = 5;
// The corner stop answers a person parking the cursor; a reading taken right after the previous tick's
// events, up to this old, serves it as well as a fresh one and spares a 1 ms run a round trip per tick.
constexpr auto kCornerReadingMaxAge = std::chrono::milliseconds(20);

GlobalPoint toGlobal(ScreenPoint p) {
    return {p.x, p.y};
}

// now + span without running past the end of the clock: an interval of centuries must mean "not in this
// run's lifetime", not a wrapped deadline that fires at once.
Deadline deadlineAfter(Deadline now, std::chrono::nanoseconds span) {
    if (span.count() <= 0) return now;
    const auto room = Deadline::max() - now;
    return span >= room ? Deadline::max() : now + span;
}

std::chrono::nanoseconds secondsToNanoseconds(double seconds) {
    if (!(seconds > 0)) return std::chrono::nanoseconds(0);
    const double ns = seconds * 1e9;
    if (ns >= 9.2e18) return std::chrono::nanoseconds(INT64_MAX);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(ns));
}

// A run this fast reports at a bounded pace; slower runs report every tick, one sound per click.
bool reportsPaced(const ClickConfig& config) {
    return config.totalIntervalNanoseconds() <
           static_cast<std::uint64_t>(std::chrono::nanoseconds(ClickEngine::kReportPace).count());
}

// A double click counts two; everything else, a drag included, one.
std::int64_t clicksPerTick(const ClickConfig& config) {
    return !config.isDragEnabled && config.clickType == ClickType::doubleClick ? 2 : 1;
}

std::chrono::nanoseconds nominalInterval(const ClickConfig& config) {
    return std::chrono::nanoseconds(static_cast<std::int64_t>(config.totalIntervalNanoseconds()));
}

bool hasRadiusJitter(const ClickConfig& config) {
    // A radius that is not a positive finite number leaves the point alone (an infinite one would give
    // coordinates no input system can take).
    return config.randomizeRadius && config.randomRadius > 0 && std::isfinite(config.randomRadius);
}

std::optional<MouseButton> heldButton(ClickType type) {
    switch (type) {
        case ClickType::holdLeft:
            return MouseButton::left;
        case ClickType::holdRight:
            return MouseButton::right;
        case ClickType::holdMiddle:
            return MouseButton::middle;
        default:
            return std::nullopt;
    }
}

}  // namespace

ClickEngine::ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue)
    : input_(input),
      mainQueue_(mainQueue),
      ownedQueue_(std::make_unique<platform::SerialQueue>(kQueueLabel, platform::SerialQueue::Priority::timeCritical)),
      queue_(*ownedQueue_),
      clock_(platform::SystemClock::instance()),
      random_(platform::SecureRandom::instance()),
      config_(std::make_shared<const ClickConfig>()),
      pacer_(mainQueue_, queue_, clock_, kReportPace,
             [this](const ClickProgress& p) { reports_.deliverProgress(p, delegate().lock().get()); }),
      // A tick that reported after the stop had taken the totals may have left them waiting for the pace.
      reports_([this](RunId run) { pacer_.finishRun(run); }) {}

ClickEngine::ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue, platform::WorkQueue& queue,
                         const platform::Clock& clock, platform::RandomSource& random)
    : input_(input),
      mainQueue_(mainQueue),
      queue_(queue),
      clock_(clock),
      random_(random),
      config_(std::make_shared<const ClickConfig>(clock.now())),
      pacer_(mainQueue_, queue_, clock_, kReportPace,
             [this](const ClickProgress& p) { reports_.deliverProgress(p, delegate().lock().get()); }),
      // A tick that reported after the stop had taken the totals may have left them waiting for the pace.
      reports_([this](RunId run) { pacer_.finishRun(run); }) {}

ClickEngine::~ClickEngine() {
    std::optional<EndedRun> ended;
    std::unique_ptr<platform::OneShotTimer> timer;
    {
        std::lock_guard lock(stateLock_);
        // A run still going (a quit during a run) ends here, so that what it holds is let go below.
        ended = endRunLocked(std::nullopt);
        timer = std::move(timer_);
        // A drag under way must not hold the destructor for its whole duration; cut short, it releases its button.
        tickAbort_.request_stop();
    }
    // The timers belong to the queue's timer table: both must be gone before the queue is (a run still going when
    // the engine goes left the tick timer to cancel itself in a freed table).
    if (ended) ended->timer.reset();
    if (timer) timer->cancel();
    timer.reset();
    pacer_.shutdown();
    // Joins the queue's thread: a tick under way finishes before the members it uses go away.
    ownedQueue_.reset();
    // A tick posting on a queue of the caller's finishes first, so that the release comes after its press.
    { std::lock_guard gate(postGate_); }
    if (ended && ended->heldType) postHoldEvent(*ended->heldType, false, ended->heldPoint);
    // Only now: a tick under way reads the token for its report. Reports already queued on the main thread (which
    // is this one, so none runs meanwhile) find it gone and do nothing.
    lifeToken_.reset();
}

std::weak_ptr<ClickEngineDelegate> ClickEngine::delegate() const {
    std::lock_guard lock(stateLock_);
    return delegate_;
}

void ClickEngine::setDelegate(std::weak_ptr<ClickEngineDelegate> delegate) {
    std::lock_guard lock(stateLock_);
    delegate_ = std::move(delegate);
}

void ClickEngine::setBeforeClick(std::function<void()> hook) {
    auto shared = hook ? std::make_shared<const std::function<void()>>(std::move(hook)) : nullptr;
    std::lock_guard lock(stateLock_);
    beforeClick_ = std::move(shared);
}

bool ClickEngine::isRunning() const {
    std::lock_guard lock(stateLock_);
    return isRunningInternal_;
}

bool ClickEngine::isPaused() const {
    std::lock_guard lock(stateLock_);
    return isPausedInternal_;
}

std::optional<ClickRunId> ClickEngine::start(const ClickConfig& config) {
    auto copy = std::make_shared<const ClickConfig>(config);
    std::lock_guard lock(stateLock_);
    if (isRunningInternal_) return std::nullopt;
    config_ = std::move(copy);
    ++runId_;
    isRunningInternal_ = true;
    isPausedInternal_ = false;
    tally_ = std::make_shared<RunTally>(runId_, config_->maxClicks, clock_.now());
    currentCoordIndex_ = 0;
    lastHeldType_.reset();
    lastHeldPoint_.reset();
    tickAbort_ = std::stop_source();
    if (timer_) timer_->cancel();
    timer_ = queue_.createTimer([this, life = std::weak_ptr<int>(lifeToken_)] {
        if (life.expired()) return;
        tick();
    });

    const auto wallNow = clock_.now();
    awaitingScheduledStart_ = config_->scheduledStartEnabled && config_->scheduledStartTime > wallNow;
    // Scheduled while still holding the lock, unlike a timer handed out first: a stop arriving in between
    // would otherwise destroy the timer under our feet.
    if (awaitingScheduledStart_) {
        armTowardsScheduledStartLocked(wallNow, std::chrono::nanoseconds(0));
    } else {
        deadline_ = clock_.monotonicNow() + kFirstTickDelay;
        timer_->schedule(deadline_);
    }
    return runId_;
}

void ClickEngine::armTowardsScheduledStartLocked(Date wallNow, std::chrono::nanoseconds atLeast) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(config_->scheduledStartTime - wallNow);
    deadline_ = deadlineAfter(clock_.monotonicNow(),
                              std::min<std::chrono::nanoseconds>(std::max(left, atLeast), kWallClockCheck));
    timer_->schedule(deadline_);
}

void ClickEngine::stop(bool completed) {
    stopRun(std::nullopt, completed);
}

void ClickEngine::stopRun(std::optional<RunId> run, bool completed) {
    std::optional<EndedRun> ended;
    {
        std::lock_guard lock(stateLock_);
        ended = endRunLocked(run);
    }
    if (ended) finishStop(std::move(*ended), completed);
}

std::optional<ClickEngine::EndedRun> ClickEngine::endRunLocked(std::optional<RunId> run) {
    if (!isRunningInternal_ || (run && *run != runId_)) return std::nullopt;
    EndedRun ended;
    ended.run = runId_;
    const bool wasPaused = isPausedInternal_;
    isRunningInternal_ = false;
    isPausedInternal_ = false;
    tickAbort_.request_stop();
    tally_->end(clock_.now());
    ended.tally = tally_;
    if (timer_) {
        timer_->cancel();
        if (wasPaused) timer_->resume();
        ended.timer = std::move(timer_);
    }
    ended.heldType = lastHeldType_;
    ended.heldPoint = lastHeldPoint_;
    return ended;
}

void ClickEngine::finishStop(EndedRun ended, bool completed) {
    ended.timer.reset();
    // A tick that was posting when the run ended finishes first: a hold's press that was on its way then comes
    // before this release instead of after it, and no click follows the stop.
    { std::lock_guard gate(postGate_); }
    if (ended.heldType) postHoldEvent(*ended.heldType, false, ended.heldPoint);
    // The stopped report carries the final totals; what the pace still holds back need not go out first.
    pacer_.finishRun(ended.run);
    {
        std::lock_guard lock(stateLock_);
        // Past the gate every click that went out is counted, and none can be counted any more.
        reports_.queueStop(ended.run, completed, ended.tally->newest());
    }
    mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_), run = ended.run] {
        if (life.expired()) return;
        reports_.deliverStopsThrough(run, delegate().lock().get());
    });
}

void ClickEngine::deliverStoppedReports() {
    reports_.deliverStopsThrough(std::numeric_limits<RunId>::max(), delegate().lock().get());
}

void ClickEngine::pause() {
    std::optional<ClickType> heldType;
    std::optional<ScreenPoint> heldPoint;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || isPausedInternal_) return;
        isPausedInternal_ = true;
        tally_->pause(clock_.now());
        // A tick under way posts nothing more, and a drag under way wakes and lets its button go where the
        // pointer is; the ticks after the resume must not be born cut short.
        tickAbort_.request_stop();
        tickAbort_ = std::stop_source();
        if (timer_) {
            // Suspended first, so that the queue cannot take the deadline while it is looked at.
            timer_->suspend();
            const Deadline now = clock_.monotonicNow();
            if (timer_->isPending()) {
                leftAtPause_ = std::max(deadline_ - now, Deadline::duration::zero());
            } else if (servedDeadline_ == deadline_ && config_->isDragEnabled) {
                // A drag's tick is under way, which ends here: the next drag comes an interval after it.
                leftAtPause_ = nominalInterval(*config_);
            } else if (servedDeadline_ == deadline_) {
                // Its tick is under way, and would have laid the next deadline about an interval after its own.
                leftAtPause_ =
                    std::max(deadlineAfter(deadline_, nominalInterval(*config_)) - now, Deadline::duration::zero());
            } else {
                // Taken by the queue, its tick not begun: that tick finds the run paused and clicks nothing.
                leftAtPause_ = Deadline::duration::zero();
            }
        }
        heldType = lastHeldType_;
        heldPoint = lastHeldPoint_;
    }
    // A posting on its way goes out first (a hold's press, a drag's step), so that the release below follows
    // it and nothing of the run follows the pause.
    { std::lock_guard gate(postGate_); }
    if (heldType) postHoldEvent(*heldType, false, heldPoint);
}

// The next click comes after what was left of the wait when the run was paused, and never sooner than a new
// run's first click: the pointer may still be on the button that resumed (now Pause), in the tray's menu or on
// the floating panel, and the keys of the resume shortcut may still be down. A held button goes down again with
// that click, for the same reasons. The grid is laid afresh from it.
void ClickEngine::resume() {
    std::lock_guard lock(stateLock_);
    if (!isRunningInternal_ || !isPausedInternal_) return;
    isPausedInternal_ = false;
    tally_->resume(clock_.now());
    if (!timer_) return;
    // Laid before the timer resumes, so that a deadline that passed during the pause is replaced, never fired.
    if (awaitingScheduledStart_) {
        armTowardsScheduledStartLocked(clock_.now(), kFirstTickDelay);
    } else {
        deadline_ =
            deadlineAfter(clock_.monotonicNow(), std::max<std::chrono::nanoseconds>(leftAtPause_, kFirstTickDelay));
        timer_->schedule(deadline_);
    }
    ++resumes_;
    timer_->resume();
}

void ClickEngine::emergencyStop() {
    std::optional<EndedRun> ended;
    {
        std::lock_guard lock(stateLock_);
        tickAbort_.request_stop();
        ended = endRunLocked(std::nullopt);
    }
    // The run has ended first, so the releases below are the last events: a tick that was posting has
    // finished (the gate), and no later tick posts.
    { std::lock_guard gate(postGate_); }
    releaseAllButtons();
    if (ended) finishStop(std::move(*ended), false);
}

void ClickEngine::tick() {
    auto tick = beginTick(clock_.monotonicNow());
    if (!tick) return;
    // Clicks at the cursor go out as button events at the pointer, which need no reading at all; the corner
    // test then takes the reading that rode behind the previous tick's events. Only radius jitter at the
    // cursor needs to know where the pointer is now, once per tick, and the corner test shares that reading.
    const auto& config = *tick->config;
    tick->cursorRead =
        config.positionMode == ClickPositionMode::current && !config.isDragEnabled && hasRadiusJitter(config);
    if (tick->cursorRead) tick->cursor = input_.cursorPosition();
    if (stopsBeforeClicking(*tick)) return;
    // A stop it sets off makes the posting refuse.
    if (tick->beforeClick) (*tick->beforeClick)();
    // The run ended or was paused before anything went out: nothing to count or report.
    if (!postTick(*tick)) return;
    finishTick(*tick);
}

std::optional<ClickEngine::Tick> ClickEngine::beginTick(Deadline firedAt) {
    std::lock_guard lock(stateLock_);
    if (!isRunningInternal_ || isPausedInternal_) return std::nullopt;
    // The queue took a deadline just before a pause, and the resume has laid a new one since: that one is
    // the run's next tick.
    if (firedAt < deadline_ && timer_ && timer_->isPending()) return std::nullopt;
    if (awaitingScheduledStart_) {
        const Date wallNow = clock_.now();
        if (wallNow < config_->scheduledStartTime) {
            armTowardsScheduledStartLocked(wallNow, std::chrono::nanoseconds(0));
            return std::nullopt;
        }
        awaitingScheduledStart_ = false;
    }
    servedDeadline_ = deadline_;
    Tick tick;
    tick.config = config_;
    tick.beforeClick = beforeClick_;
    tick.tally = tally_;
    tick.run = runId_;
    tick.totalBefore = tally_->total();
    tick.abort = tickAbort_.get_token();
    tick.deadline = deadline_;
    tick.firedAt = firedAt;
    tick.resumes = resumes_;
    return tick;
}

bool ClickEngine::stopsBeforeClicking(const Tick& tick) {
    const auto& config = *tick.config;
    if (config.edgeStopEnabled &&
        isCursorInScreenCorner(tick.cursorRead ? tick.cursor : input_.recentCursorPosition(kCornerReadingMaxAge))) {
        stopRun(tick.run, false);
        return true;
    }
    if (config.scheduledStopEnabled && clock_.now() >= config.scheduledStopTime) {
        stopRun(tick.run, true);
        return true;
    }
    // A maximum that a whole tick would overshoot (the second half of a double click) ends the run as
    // reached.
    if (config.maxClicks >= 1 && tick.totalBefore + clicksPerTick(config) > config.maxClicks) {
        stopRun(tick.run, true);
        return true;
    }
    return false;
}

bool ClickEngine::postTick(const Tick& tick) {
    // A drag has its own end points: no target to work out, so no cursor reading either.
    if (tick.config->isDragEnabled) return performDrag(tick);
    return postClick(tick, nextClickPoint(*tick.config, tick.run, tick.cursor));
}

void ClickEngine::finishTick(const Tick& tick) {
    const auto& config = *tick.config;
    std::optional<ClickProgress> progress;
    bool reachedMax = false;
    {
        std::lock_guard lock(stateLock_);
        // A stop while this tick posted: its stopped report carries the totals.
        if (tick.run != runId_ || !isRunningInternal_) return;
        progress = tick.tally->newest();
        reachedMax = config.maxClicks >= 1 && tick.tally->total() + clicksPerTick(config) > config.maxClicks;
        // A tick that came more than an interval late starts the grid again from now instead of catching up
        // with a burst of clicks; one less late keeps its place, so the lost time is made up by the next one. A
        // drag's duration adds to the period: the next one comes an interval after it ended, not at once.
        if (!reachedMax && !isPausedInternal_ && timer_) {
            const auto late = tick.firedAt - tick.deadline;
            Deadline base = late > nominalInterval(config) ? tick.firedAt : tick.deadline;
            if (config.isDragEnabled) base = clock_.monotonicNow();
            // Paused and resumed while this tick worked: the resume laid a deadline already, and the later of
            // the two holds.
            const auto laidByResume = tick.resumes != resumes_ ? std::optional<Deadline>(deadline_) : std::nullopt;
            armNextTickLocked(config, base, laidByResume);
        }
    }
    if (progress) {
        if (reportsPaced(config)) {
            pacer_.offer(*progress);
        } else {
            mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_), p = *progress] {
                if (life.expired()) return;
                reports_.deliverProgress(p, delegate().lock().get());
            });
        }
    }
    // The run completes with the click that reached its maximum, not one interval later.
    if (reachedMax) stopRun(tick.run, true);
}

void ClickEngine::armNextTickLocked(const ClickConfig& config, Deadline base, std::optional<Deadline> notBefore) {
    auto interval = static_cast<std::int64_t>(config.totalIntervalNanoseconds());
    if (config.randomizeInterval) {
        const double range = config.effectiveIntervalRandomRangeMs();
        interval = config.jitteredIntervalNanoseconds(random_.uniformReal(-range, range));
    }
    deadline_ = deadlineAfter(base, std::chrono::nanoseconds(interval));
    if (notBefore) deadline_ = std::max(deadline_, *notBefore);
    timer_->schedule(deadline_);
}

std::optional<ScreenPoint> ClickEngine::nextClickPoint(const ClickConfig& config, RunId run,
                                                       std::optional<GlobalPoint> cursor) {
    ScreenPoint point;
    if (config.positionMode == ClickPositionMode::fixed) {
        const auto& points = config.fixedCoordinates;
        if (!points.empty()) {
            const auto count = static_cast<std::int64_t>(points.size());
            std::int64_t index = 0;
            if (config.coordinatesOrder == CoordinatesOrder::random) {
                index = random_.uniformInt(0, count - 1);
            } else {
                std::lock_guard lock(stateLock_);
                index = currentCoordIndex_ % count;
                ++currentCoordIndex_;
            }
            point = points[static_cast<std::size_t>(index)];
        }
    } else {
        if (!hasRadiusJitter(config)) return std::nullopt;
        const auto anchor = jitterAnchor(run, cursor);
        // Nowhere to centre on: click where the pointer is, unmoved.
        if (!anchor) return std::nullopt;
        point = {anchor->x, anchor->y};
    }

    if (hasRadiusJitter(config)) {
        const double distance = config.randomRadius * std::sqrt(random_.uniformReal(0.0, 1.0));
        const double angle = random_.uniformReal(0.0, 2.0 * std::numbers::pi);
        point.x += std::cos(angle) * distance;
        point.y += std::sin(angle) * distance;
    }
    return point;
}

std::optional<GlobalPoint> ClickEngine::jitterAnchor(RunId run, std::optional<GlobalPoint> cursor) {
    if (anchorRun_ != run) {
        anchor_.reset();
        anchorRun_ = run;
    }
    if (!cursor) return anchor_;
    if (!anchor_) {
        anchor_ = cursor;
        return anchor_;
    }
    // Each jittered click leaves the pointer at its own offset; centring the next one there would let the
    // clicks wander off in a random walk. The anchor moves only when the pointer is not where the last click
    // left it: the user moved it. The reading behind that click's events says where it was left, clamped
    // and rounded by the server as the pointer itself was.
    const auto leftAt = input_.recentCursorPosition(std::chrono::nanoseconds::max());
    if (!leftAt || *leftAt != *cursor) anchor_ = cursor;
    return anchor_;
}

bool ClickEngine::mayPostLocked(const Tick& tick) const {
    // A tick left over from a run that was stopped must not post into the next run, nor a tick that a pause came
    // to (whose drag ends there) even once the run has been resumed.
    return tick.run == runId_ && isRunningInternal_ && !isPausedInternal_ && !tick.abort.stop_requested();
}

void ClickEngine::countPosted(const Tick& tick, std::int64_t clicks, bool lasting) {
    if (clicks == 0) return;
    std::lock_guard lock(stateLock_);
    tick.tally->count(clicks, clock_.now(), lasting);
}

bool ClickEngine::postForRun(const Tick& tick, std::span<const MouseEvent> events, std::int64_t clicks, bool lasting) {
    std::lock_guard gate(postGate_);
    {
        std::lock_guard lock(stateLock_);
        if (!mayPostLocked(tick)) return false;
    }
    input_.post(events);
    countPosted(tick, clicks, lasting);
    return true;
}

bool ClickEngine::postClick(const Tick& tick, std::optional<ScreenPoint> target) {
    const ClickType type = tick.config->clickType;
    const std::int64_t clicks = clicksPerTick(*tick.config);
    const GlobalPoint p = target ? toGlobal(*target) : GlobalPoint{};
    const auto down = [&](MouseButton b, int state = 1) {
        return target ? MouseEvent::down(b, p, state) : MouseEvent::downAtPointer(b, state);
    };
    const auto up = [&](MouseButton b, int state = 1) {
        return target ? MouseEvent::up(b, p, state) : MouseEvent::upAtPointer(b, state);
    };
    switch (type) {
        case ClickType::left:
        case ClickType::right:
        case ClickType::middle: {
            const MouseButton b = type == ClickType::left    ? MouseButton::left
                                  : type == ClickType::right ? MouseButton::right
                                                             : MouseButton::middle;
            const std::array events{down(b), up(b)};
            return postForRun(tick, events, clicks);
        }
        case ClickType::doubleClick: {
            const std::array events{down(MouseButton::left, 1), up(MouseButton::left, 1), down(MouseButton::left, 2),
                                    up(MouseButton::left, 2)};
            return postForRun(tick, events, clicks);
        }
        case ClickType::holdLeft:
        case ClickType::holdRight:
        case ClickType::holdMiddle: {
            const std::array events{down(*heldButton(type))};
            std::lock_guard gate(postGate_);
            {
                std::lock_guard lock(stateLock_);
                // A hold of a stopped run planted in the next one would be released by a pause or stop of a run
                // that never pressed it; and a paused run keeps its button up until the resume presses it again.
                if (!mayPostLocked(tick)) return false;
                lastHeldType_ = type;
                lastHeldPoint_ = target;
            }
            input_.post(events);
            countPosted(tick, clicks, false);
            return true;
        }
        case ClickType::scrollUp:
        case ClickType::scrollDown: {
            const auto wheel = MouseEvent::scroll(type == ClickType::scrollUp ? kScrollLines : -kScrollLines);
            // At the cursor the wheel turns where the pointer is; there is nowhere to move it first.
            if (!target) return postForRun(tick, std::array{wheel}, clicks);
            return postForRun(tick, std::array{MouseEvent::move(p), wheel}, clicks);
        }
    }
    return false;
}

void ClickEngine::postHoldEvent(ClickType type, bool down, std::optional<ScreenPoint> point) {
    const auto button = heldButton(type);
    if (!button) return;
    if (!point) {
        input_.post(std::array{down ? MouseEvent::downAtPointer(*button) : MouseEvent::upAtPointer(*button)});
        return;
    }
    const GlobalPoint p = toGlobal(*point);
    input_.post(std::array{down ? MouseEvent::down(*button, p) : MouseEvent::up(*button, p)});
}

bool ClickEngine::performDrag(const Tick& tick) {
    const ScreenPoint from = tick.config->dragStartPoint;
    const ScreenPoint to = tick.config->dragEndPoint;
    // The drag's one click, counted with its press: a drag cut short counts too.
    if (!postForRun(tick, std::array{MouseEvent::down(MouseButton::left, toGlobal(from))}, 1, true)) return false;
    const auto step = secondsToNanoseconds(tick.config->dragDuration / kDragSteps);
    for (int i = 1; i <= kDragSteps; ++i) {
        const double f = static_cast<double>(i) / kDragSteps;
        const GlobalPoint at{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
        if (!postForRun(tick, std::array{MouseEvent::drag(MouseButton::left, at)}, 0)) break;
        queue_.sleepFor(step, tick.abort);
        if (i == kDragSteps) {
            releaseDrag(tick, toGlobal(to));
            return true;
        }
        if (tick.abort.stop_requested()) break;
    }
    // Cut short by a stop or a pause: the button comes up where the pointer is now.
    const auto cursor = input_.cursorPosition();
    releaseDrag(tick, cursor ? *cursor : toGlobal(from));
    return true;
}

void ClickEngine::releaseDrag(const Tick& tick, GlobalPoint at) {
    input_.buttonUp(MouseButton::left, at);
    std::lock_guard lock(stateLock_);
    tick.tally->endLasting(clock_.now());
}

void ClickEngine::releaseAllButtons() {
    // At the pointer: wherever it is, with no reading first, so the emergency stop costs no round trip.
    const std::array events{MouseEvent::upAtPointer(MouseButton::left), MouseEvent::upAtPointer(MouseButton::right),
                            MouseEvent::upAtPointer(MouseButton::middle)};
    input_.post(events);
}

bool ClickEngine::isCursorInScreenCorner(std::optional<GlobalPoint> cursor) {
    if (!cursor) return false;
    input_.readScreens(screens_);
    for (const auto& s : screens_) {
        const std::array corners{GlobalPoint{s.minX(), s.minY()}, GlobalPoint{s.maxX(), s.minY()},
                                 GlobalPoint{s.minX(), s.maxY()}, GlobalPoint{s.maxX(), s.maxY()}};
        for (const auto& c : corners) {
            if (std::hypot(cursor->x - c.x, cursor->y - c.y) <= kCornerDistance) return true;
        }
    }
    return false;
}

}  // namespace clicktrove
