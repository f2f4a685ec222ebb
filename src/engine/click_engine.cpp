#include "engine/click_engine.hpp"

#include "platform/serial_queue.hpp"

#include <algorithm>
#include <array>
#include <cmath>
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
      pacer_(mainQueue_, queue_, clock_, kReportPace, [this](const ClickProgress& p) { deliverProgress(p); }) {}

ClickEngine::ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue, platform::WorkQueue& queue,
                         const platform::Clock& clock, platform::RandomSource& random)
    : input_(input),
      mainQueue_(mainQueue),
      queue_(queue),
      clock_(clock),
      random_(random),
      config_(std::make_shared<const ClickConfig>(clock.now())),
      pacer_(mainQueue_, queue_, clock_, kReportPace, [this](const ClickProgress& p) { deliverProgress(p); }) {}

ClickEngine::~ClickEngine() {
    std::optional<EndedRun> ended;
    std::unique_ptr<platform::OneShotTimer> timer;
    {
        std::lock_guard lock(stateLock_);
        // A run still going (a quit during a run) ends here, so that what it holds is let go below.
        ended = endRunLocked(std::nullopt);
        timer = std::move(timer_);
        // A drag under way must not hold the destructor for its whole duration; cut short, it releases its button.
        dragAbort_.request_stop();
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
    totalClicks_ = 0;
    startTime_ = clock_.now();
    pausedTimeAccumulated_ = 0;
    pauseStart_.reset();
    clickTimestamps_.clear();
    currentCoordIndex_ = 0;
    lastHeldType_.reset();
    lastHeldPoint_.reset();
    dragAbort_ = std::stop_source();
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
    dragAbort_.request_stop();
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
    // Totals the pace still held back ride with the stopped report, taken now: a new run's ticks may
    // overwrite the pacer's slot before the report is delivered.
    auto last = pacer_.finishRun(ended.run);
    mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_), run = ended.run, completed, last] {
        if (life.expired()) return;
        deliverStop(run, completed, last);
    });
}

void ClickEngine::deliverProgress(const ClickProgress& p) {
    if (p.run <= stopDelivered_) return;
    if (auto d = delegate().lock()) {
        d->clickEngineDidUpdate(p.run, p.totalClicks, p.cps, p.remainingClicks, p.elapsedTime);
    }
}

void ClickEngine::deliverStop(RunId run, bool completed, std::optional<ClickProgress> last) {
    // A tick that was posting when the run stopped may have counted its click since: those are the last totals.
    if (auto newer = pacer_.finishRun(run)) last = newer;
    if (last) deliverProgress(*last);
    stopDelivered_ = std::max(stopDelivered_, run);
    if (auto d = delegate().lock()) d->clickEngineDidStop(run, completed);
}

void ClickEngine::pause() {
    std::optional<ClickType> heldType;
    std::optional<ScreenPoint> heldPoint;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || isPausedInternal_) return;
        isPausedInternal_ = true;
        pauseStart_ = clock_.now();
        if (timer_) {
            // Suspended first, so that the queue cannot take the deadline while it is looked at.
            timer_->suspend();
            const Deadline now = clock_.monotonicNow();
            if (timer_->isPending()) {
                leftAtPause_ = std::max(deadline_ - now, Deadline::duration::zero());
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
    if (pauseStart_) {
        pausedTimeAccumulated_ += std::chrono::duration<double>(clock_.now() - *pauseStart_).count();
        pauseStart_.reset();
    }
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
        dragAbort_.request_stop();
        ended = endRunLocked(std::nullopt);
    }
    // The run has ended first, so the releases below are the last events: a tick that was posting has
    // finished (the gate), and no later tick posts.
    { std::lock_guard gate(postGate_); }
    releaseAllButtons();
    if (ended) finishStop(std::move(*ended), false);
}

void ClickEngine::tick() {
    std::shared_ptr<const ClickConfig> config;
    std::shared_ptr<const std::function<void()>> beforeClick;
    std::int64_t total = 0;
    RunId run = 0;
    std::stop_token abort;
    Deadline deadline;
    std::uint64_t resumes = 0;
    const Deadline firedAt = clock_.monotonicNow();
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || isPausedInternal_) return;
        // The queue took a deadline just before a pause, and the resume has laid a new one since: that one is
        // the run's next tick.
        if (firedAt < deadline_ && timer_ && timer_->isPending()) return;
        if (awaitingScheduledStart_) {
            const Date wallNow = clock_.now();
            if (wallNow < config_->scheduledStartTime) {
                armTowardsScheduledStartLocked(wallNow, std::chrono::nanoseconds(0));
                return;
            }
            awaitingScheduledStart_ = false;
        }
        config = config_;
        beforeClick = beforeClick_;
        total = totalClicks_;
        run = runId_;
        abort = dragAbort_.get_token();
        deadline = deadline_;
        servedDeadline_ = deadline_;
        resumes = resumes_;
    }
    const std::int64_t perTick = clicksPerTick(*config);

    // Clicks at the cursor go out as button events at the pointer, which need no reading at all; the corner
    // test then takes the reading that rode behind the previous tick's events. Only radius jitter at the
    // cursor needs to know where the pointer is now, once per tick, and the corner test shares that reading.
    const bool atCursor = config->positionMode == ClickPositionMode::current && !config->isDragEnabled;
    std::optional<GlobalPoint> cursor;
    const bool freshReading = atCursor && hasRadiusJitter(*config);
    if (freshReading) cursor = input_.cursorPosition();
    if (config->edgeStopEnabled &&
        isCursorInScreenCorner(freshReading ? cursor : input_.recentCursorPosition(kCornerReadingMaxAge))) {
        stopRun(run, false);
        return;
    }
    if (config->scheduledStopEnabled && clock_.now() >= config->scheduledStopTime) {
        stopRun(run, true);
        return;
    }
    // A maximum that a whole tick would overshoot (the second half of a double click) ends the run as
    // reached.
    if (config->maxClicks >= 1 && total + perTick > config->maxClicks) {
        stopRun(run, true);
        return;
    }

    // A stop it sets off makes the posting below refuse.
    if (beforeClick) (*beforeClick)();

    bool posted = false;
    std::optional<std::optional<ScreenPoint>> held;
    if (config->isDragEnabled) {
        // A drag has its own end points: no target to work out, so no cursor reading either.
        posted = performDrag(run, config->dragStartPoint, config->dragEndPoint, config->dragDuration, abort);
    } else {
        const auto target = nextClickPoint(*config, run, cursor);
        posted = postClick(run, config->clickType, target);
        if (posted && heldButton(config->clickType)) held = target;
    }
    // The run ended (or a pause came before a hold's press) before anything went out: nothing to count.
    if (!posted) return;

    std::int64_t newTotal = 0;
    std::int64_t cps = 0;
    double elapsed = 0;
    bool reachedMax = false;
    bool stillRunning = false;
    {
        std::unique_lock lock(stateLock_);
        // A pause between the hold's last look at the run and its press released the button before the press
        // may have reached the system; without a second release the button would stay down through the pause.
        // (A stop cannot come in between: it waits for the press, then releases.)
        if (held && run == runId_ && isPausedInternal_) {
            lock.unlock();
            postHoldEvent(config->clickType, false, *held);
            lock.lock();
        }
        // A stop and a new start while this tick posted: its click belongs to no run that is still counting.
        if (run != runId_) return;
        totalClicks_ += perTick;
        newTotal = totalClicks_;
        const Date now = clock_.now();
        cps = clickTimestamps_.record(now);
        elapsed = elapsedTimeLocked(now);
        reachedMax = config->maxClicks >= 1 && newTotal + perTick > config->maxClicks;
        stillRunning = isRunningInternal_;
        // A tick that came more than an interval late starts the grid again from now instead of catching up
        // with a burst of clicks; one less late keeps its place, so the lost time is made up by the next one. A
        // drag's duration adds to the period: the next one comes an interval after it ended, not at once.
        if (!reachedMax && isRunningInternal_ && !isPausedInternal_ && timer_) {
            const auto late = firedAt - deadline;
            Deadline base = late > nominalInterval(*config) ? firedAt : deadline;
            if (config->isDragEnabled) base = clock_.monotonicNow();
            // Paused and resumed while this tick worked: the resume laid a deadline already, and the later of
            // the two holds.
            const auto laidByResume = resumes != resumes_ ? std::optional<Deadline>(deadline_) : std::nullopt;
            armNextTickLocked(*config, base, laidByResume);
        }
    }
    const std::int64_t remaining = config->maxClicks >= 1 ? std::max<std::int64_t>(config->maxClicks - newTotal, 0) : 0;
    const ClickProgress progress{run, newTotal, cps, remaining, elapsed};
    // A run stopped while this tick posted: its stopped report, already on its way, takes these totals from
    // the pacer's slot if it has not been delivered yet.
    if (reportsPaced(*config) || !stillRunning) {
        pacer_.offer(progress);
    } else {
        mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_), progress] {
            if (life.expired()) return;
            deliverProgress(progress);
        });
    }
    // The run completes with the click that reached its maximum, not one interval later.
    if (reachedMax) stopRun(run, true);
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

double ClickEngine::elapsedTimeLocked(Date now) const {
    if (!startTime_) return 0;
    double elapsed = std::chrono::duration<double>(now - *startTime_).count() - pausedTimeAccumulated_;
    if (pauseStart_) elapsed -= std::chrono::duration<double>(now - *pauseStart_).count();
    return elapsed < 0 ? 0 : elapsed;
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

bool ClickEngine::postForRun(RunId run, std::span<const MouseEvent> events) {
    std::lock_guard gate(postGate_);
    {
        std::lock_guard lock(stateLock_);
        if (run != runId_ || !isRunningInternal_) return false;
    }
    input_.post(events);
    return true;
}

bool ClickEngine::postClick(RunId run, ClickType type, std::optional<ScreenPoint> target) {
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
            return postForRun(run, events);
        }
        case ClickType::doubleClick: {
            const std::array events{down(MouseButton::left, 1), up(MouseButton::left, 1), down(MouseButton::left, 2),
                                    up(MouseButton::left, 2)};
            return postForRun(run, events);
        }
        case ClickType::holdLeft:
        case ClickType::holdRight:
        case ClickType::holdMiddle: {
            const std::array events{down(*heldButton(type))};
            std::lock_guard gate(postGate_);
            {
                std::lock_guard lock(stateLock_);
                // A tick left over from a run that was stopped must not plant its hold in the next run, whose
                // pause and stop would then release a button it never pressed; and a paused run keeps its
                // button up until resume presses it again.
                if (run != runId_ || !isRunningInternal_ || isPausedInternal_) return false;
                lastHeldType_ = type;
                lastHeldPoint_ = target;
            }
            input_.post(events);
            return true;
        }
        case ClickType::scrollUp:
        case ClickType::scrollDown: {
            const auto wheel = MouseEvent::scroll(type == ClickType::scrollUp ? kScrollLines : -kScrollLines);
            // At the cursor the wheel turns where the pointer is; there is nowhere to move it first.
            if (!target) return postForRun(run, std::array{wheel});
            return postForRun(run, std::array{MouseEvent::move(p), wheel});
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

bool ClickEngine::performDrag(RunId run, ScreenPoint from, ScreenPoint to, double duration, std::stop_token abort) {
    if (!postForRun(run, std::array{MouseEvent::down(MouseButton::left, toGlobal(from))})) return false;
    const auto step = secondsToNanoseconds(duration / kDragSteps);
    bool aborted = abort.stop_requested();
    for (int i = 1; i <= kDragSteps && !aborted; ++i) {
        const double f = static_cast<double>(i) / kDragSteps;
        if (!postForRun(run, std::array{MouseEvent::drag(
                                 MouseButton::left, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f})})) {
            break;
        }
        queue_.sleepFor(step, abort);
        if (i == kDragSteps) {
            input_.buttonUp(MouseButton::left, toGlobal(to));
            return true;
        }
        aborted = abort.stop_requested();
    }
    // Cut short by a stop: the button comes up where the pointer is now.
    const auto cursor = input_.cursorPosition();
    input_.buttonUp(MouseButton::left, cursor ? *cursor : toGlobal(from));
    return true;
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
