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
      ownedQueue_(std::make_unique<platform::SerialQueue>(kQueueLabel)),
      queue_(*ownedQueue_),
      clock_(platform::SystemClock::instance()),
      random_(platform::SecureRandom::instance()),
      config_(std::make_shared<const ClickConfig>()) {}

ClickEngine::ClickEngine(platform::MouseInput& input, platform::MainQueue& mainQueue, platform::WorkQueue& queue,
                         const platform::Clock& clock, platform::RandomSource& random)
    : input_(input),
      mainQueue_(mainQueue),
      queue_(queue),
      clock_(clock),
      random_(random),
      config_(std::make_shared<const ClickConfig>(clock.now())) {}

ClickEngine::~ClickEngine() {
    lifeToken_.reset();
    std::unique_ptr<platform::OneShotTimer> timer;
    {
        std::lock_guard lock(stateLock_);
        timer = std::move(timer_);
        // A drag under way must not hold the destructor for its whole duration.
        dragAbort_.request_stop();
    }
    if (timer) timer->cancel();
    // Joins the queue's thread: a tick under way finishes before the members it uses go away.
    ownedQueue_.reset();
}

std::weak_ptr<ClickEngineDelegate> ClickEngine::delegate() const {
    std::lock_guard lock(stateLock_);
    return delegate_;
}

void ClickEngine::setDelegate(std::weak_ptr<ClickEngineDelegate> delegate) {
    std::lock_guard lock(stateLock_);
    delegate_ = std::move(delegate);
}

bool ClickEngine::isRunning() const {
    std::lock_guard lock(stateLock_);
    return isRunningInternal_;
}

bool ClickEngine::isPaused() const {
    std::lock_guard lock(stateLock_);
    return isPausedInternal_;
}

void ClickEngine::start(const ClickConfig& config) {
    auto copy = std::make_shared<const ClickConfig>(config);
    std::lock_guard lock(stateLock_);
    if (isRunningInternal_) return;
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
    emergencyStopRequested_ = false;
    dragAbort_ = std::stop_source();
    if (timer_) timer_->cancel();
    timer_ = queue_.createTimer([this, life = std::weak_ptr<int>(lifeToken_)] {
        if (life.expired()) return;
        tick();
    });

    const auto wallNow = clock_.now();
    const auto monoNow = clock_.monotonicNow();
    Deadline first = monoNow + kFirstTickDelay;
    if (config_->scheduledStartEnabled && config_->scheduledStartTime > wallNow) {
        first = deadlineAfter(
            monoNow, std::chrono::duration_cast<std::chrono::nanoseconds>(config_->scheduledStartTime - wallNow));
    }
    // Scheduled while still holding the lock, unlike a timer handed out first: a stop arriving in between
    // would otherwise destroy the timer under our feet.
    timer_->schedule(first);
}

void ClickEngine::stop(bool completed) {
    stopRun(std::nullopt, completed);
}

void ClickEngine::stopRun(std::optional<RunId> run, bool completed) {
    std::optional<ClickType> heldType;
    std::optional<ScreenPoint> heldPoint;
    std::unique_ptr<platform::OneShotTimer> timer;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || (run && *run != runId_)) return;
        const bool wasPaused = isPausedInternal_;
        isRunningInternal_ = false;
        isPausedInternal_ = false;
        if (timer_) {
            timer_->cancel();
            if (wasPaused) timer_->resume();
            timer = std::move(timer_);
        }
        heldType = lastHeldType_;
        heldPoint = lastHeldPoint_;
    }
    timer.reset();
    if (heldType && heldPoint) postHoldEvent(*heldType, false, *heldPoint);
    mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_), completed] {
        if (life.expired()) return;
        if (auto d = delegate().lock()) d->clickEngineDidStop(completed);
    });
}

void ClickEngine::pause() {
    std::optional<ClickType> heldType;
    std::optional<ScreenPoint> heldPoint;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || isPausedInternal_) return;
        isPausedInternal_ = true;
        pauseStart_ = clock_.now();
        if (timer_) timer_->suspend();
        heldType = lastHeldType_;
        heldPoint = lastHeldPoint_;
    }
    if (heldType && heldPoint) postHoldEvent(*heldType, false, *heldPoint);
}

void ClickEngine::resume() {
    std::optional<ClickType> heldType;
    std::optional<ScreenPoint> heldPoint;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || !isPausedInternal_) return;
        isPausedInternal_ = false;
        if (pauseStart_) {
            pausedTimeAccumulated_ += std::chrono::duration<double>(clock_.now() - *pauseStart_).count();
            pauseStart_.reset();
        }
        heldType = lastHeldType_;
        heldPoint = lastHeldPoint_;
        if (timer_) {
            timer_->resume();
            // A pause that came while a tick was under way kept that tick from re-arming, so nothing is
            // pending and resuming alone would end the run's ticking for good.
            if (!timer_->isPending()) armNextTickLocked(*config_);
        }
    }
    if (heldType && heldPoint) postHoldEvent(*heldType, true, *heldPoint);
}

void ClickEngine::emergencyStop() {
    {
        std::lock_guard lock(stateLock_);
        emergencyStopRequested_ = true;
        dragAbort_.request_stop();
    }
    releaseAllButtons();
    stop(false);
}

bool ClickEngine::emergencyStopRequested() const {
    std::lock_guard lock(stateLock_);
    return emergencyStopRequested_;
}

void ClickEngine::tick() {
    std::shared_ptr<const ClickConfig> config;
    std::int64_t total = 0;
    RunId run = 0;
    std::stop_token abort;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunningInternal_ || isPausedInternal_) return;
        config = config_;
        total = totalClicks_;
        run = runId_;
        abort = dragAbort_.get_token();
    }

    // In the current-position mode the tick needs a fresh reading for its target anyway; the corner test
    // shares it.
    std::optional<GlobalPoint> cursor;
    const bool atCursor = config->positionMode == ClickPositionMode::current && !config->isDragEnabled;
    if (atCursor) cursor = input_.cursorPosition();
    if (config->edgeStopEnabled &&
        isCursorInScreenCorner(atCursor ? cursor : input_.recentCursorPosition(kCornerReadingMaxAge))) {
        stopRun(run, false);
        return;
    }
    if (config->scheduledStopEnabled && clock_.now() >= config->scheduledStopTime) {
        stopRun(run, true);
        return;
    }
    if (config->maxClicks >= 1 && total >= config->maxClicks) {
        stopRun(run, true);
        return;
    }

    std::int64_t added = 1;
    std::optional<ScreenPoint> pressedAt;
    if (config->isDragEnabled) {
        // A drag has its own end points: no target to work out, so no cursor reading either.
        performDrag(config->dragStartPoint, config->dragEndPoint, config->dragDuration, abort);
    } else {
        const ScreenPoint target = nextClickPoint(*config, cursor);
        postClick(run, config->clickType, target);
        if (config->clickType == ClickType::doubleClick) added = 2;
        if (heldButton(config->clickType)) pressedAt = target;
    }

    std::int64_t newTotal = 0;
    std::int64_t cps = 0;
    double elapsed = 0;
    {
        std::unique_lock lock(stateLock_);
        // A stop or a pause that came while this tick was under way released the held button before this
        // tick's press may have reached the system; without a second release the button would stay down
        // after the run, or through the pause.
        if (pressedAt && (run != runId_ || !isRunningInternal_ || isPausedInternal_)) {
            lock.unlock();
            postHoldEvent(config->clickType, false, *pressedAt);
            lock.lock();
        }
        // A stop and a new start while this tick posted: its click belongs to no run that is still counting.
        if (run != runId_) return;
        totalClicks_ += added;
        newTotal = totalClicks_;
        const Date now = clock_.now();
        cps = clickTimestamps_.record(now);
        elapsed = elapsedTimeLocked(now);
        // The next tick cannot start before this one returns (the queue is serial), so arming it here, under
        // the same lock, still lets this report go out first.
        if (isRunningInternal_ && !isPausedInternal_ && timer_) armNextTickLocked(*config);
    }
    const std::int64_t remaining = config->maxClicks >= 1 ? std::max<std::int64_t>(config->maxClicks - newTotal, 0) : 0;
    mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_), newTotal, cps, remaining, elapsed] {
        if (life.expired()) return;
        if (auto d = delegate().lock()) d->clickEngineDidUpdate(newTotal, cps, remaining, elapsed);
    });
}

void ClickEngine::armNextTickLocked(const ClickConfig& config) {
    auto interval = static_cast<std::int64_t>(config.totalIntervalNanoseconds());
    if (config.randomizeInterval) {
        const double range = config.effectiveIntervalRandomRangeMs();
        interval = config.jitteredIntervalNanoseconds(random_.uniformReal(-range, range));
    }
    timer_->schedule(deadlineAfter(clock_.monotonicNow(), std::chrono::nanoseconds(interval)));
}

double ClickEngine::elapsedTimeLocked(Date now) const {
    if (!startTime_) return 0;
    double elapsed = std::chrono::duration<double>(now - *startTime_).count() - pausedTimeAccumulated_;
    if (pauseStart_) elapsed -= std::chrono::duration<double>(now - *pauseStart_).count();
    return elapsed < 0 ? 0 : elapsed;
}

ScreenPoint ClickEngine::nextClickPoint(const ClickConfig& config, std::optional<GlobalPoint> cursor) {
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
        if (!cursor) cursor = input_.cursorPosition();
        if (cursor) point = {cursor->x, cursor->y};
    }

    // A radius that is not a positive finite number leaves the point alone (an infinite one would give
    // coordinates no input system can take).
    if (config.randomizeRadius && config.randomRadius > 0 && std::isfinite(config.randomRadius)) {
        const double distance = config.randomRadius * std::sqrt(random_.uniformReal(0.0, 1.0));
        const double angle = random_.uniformReal(0.0, 2.0 * std::numbers::pi);
        point.x += std::cos(angle) * distance;
        point.y += std::sin(angle) * distance;
    }
    return point;
}

void ClickEngine::postClick(RunId run, ClickType type, ScreenPoint target) {
    const GlobalPoint p = toGlobal(target);
    switch (type) {
        case ClickType::left:
        case ClickType::right:
        case ClickType::middle: {
            const MouseButton b = type == ClickType::left    ? MouseButton::left
                                  : type == ClickType::right ? MouseButton::right
                                                             : MouseButton::middle;
            const std::array events{MouseEvent::down(b, p), MouseEvent::up(b, p)};
            input_.post(events);
            return;
        }
        case ClickType::doubleClick: {
            const std::array events{MouseEvent::down(MouseButton::left, p, 1), MouseEvent::up(MouseButton::left, p, 1),
                                    MouseEvent::down(MouseButton::left, p, 2), MouseEvent::up(MouseButton::left, p, 2)};
            input_.post(events);
            return;
        }
        case ClickType::holdLeft:
        case ClickType::holdRight:
        case ClickType::holdMiddle: {
            {
                std::lock_guard lock(stateLock_);
                // A tick left over from a run that was stopped must not plant its hold in the next run, whose
                // pause and stop would then release a button it never pressed.
                if (run == runId_) {
                    lastHeldType_ = type;
                    lastHeldPoint_ = target;
                }
            }
            postHoldEvent(type, true, target);
            return;
        }
        case ClickType::scrollUp:
        case ClickType::scrollDown: {
            const std::array events{MouseEvent::move(p),
                                    MouseEvent::scroll(type == ClickType::scrollUp ? kScrollLines : -kScrollLines)};
            input_.post(events);
            return;
        }
    }
}

void ClickEngine::postHoldEvent(ClickType type, bool down, ScreenPoint point) {
    const auto button = heldButton(type);
    if (!button) return;
    const GlobalPoint p = toGlobal(point);
    input_.post(std::array{down ? MouseEvent::down(*button, p) : MouseEvent::up(*button, p)});
}

void ClickEngine::performDrag(ScreenPoint from, ScreenPoint to, double duration, std::stop_token abort) {
    input_.buttonDown(MouseButton::left, toGlobal(from));
    const auto step = secondsToNanoseconds(duration / kDragSteps);
    bool aborted = emergencyStopRequested();
    for (int i = 1; i <= kDragSteps && !aborted; ++i) {
        const double f = static_cast<double>(i) / kDragSteps;
        input_.drag(MouseButton::left, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
        queue_.sleepFor(step, abort);
        if (i == kDragSteps) {
            input_.buttonUp(MouseButton::left, toGlobal(to));
            return;
        }
        aborted = emergencyStopRequested();
    }
    const auto cursor = input_.cursorPosition();
    input_.buttonUp(MouseButton::left, cursor ? *cursor : toGlobal(from));
}

void ClickEngine::releaseAllButtons() {
    const GlobalPoint p = input_.cursorPosition().value_or(GlobalPoint{0, 0});
    const std::array events{MouseEvent::up(MouseButton::left, p), MouseEvent::up(MouseButton::right, p),
                            MouseEvent::up(MouseButton::middle, p)};
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
