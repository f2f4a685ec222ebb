#include "platform/fake/fake_mouse_input.hpp"

namespace clicktrove::platform {

FakeMouseInput::FakeMouseInput(const Clock& clock) : clock_(clock) {}

void FakeMouseInput::post(std::span<const MouseEvent> events) {
    const auto time = clock_.monotonicNow();
    std::function<void(std::span<const MouseEvent>)> hook;
    {
        std::lock_guard lock(mutex_);
        if (!canPost_) return;
        ++operations_;
        for (const auto& e : events) {
            recorded_.push_back({e, time, operations_});
            if (follows_ && e.kind != MouseEvent::Kind::scroll && !e.atPointer) cursor_ = e.point;
        }
        afterPost_ = cursor_;
        afterPostTime_ = time;
        hook = onPost_;
    }
    if (hook) hook(events);
}

void FakeMouseInput::setOnPost(std::function<void(std::span<const MouseEvent>)> hook) {
    std::lock_guard lock(mutex_);
    onPost_ = std::move(hook);
}

std::optional<GlobalPoint> FakeMouseInput::cursorPosition() {
    std::lock_guard lock(mutex_);
    ++queries_;
    return cursor_;
}

std::optional<GlobalPoint> FakeMouseInput::recentCursorPosition(std::chrono::nanoseconds maxAge) {
    {
        std::lock_guard lock(mutex_);
        if (afterPost_ && clock_.monotonicNow() - afterPostTime_ <= maxAge) {
            const auto reading = *afterPost_;
            afterPost_.reset();
            return reading;
        }
    }
    return cursorPosition();
}

void FakeMouseInput::readScreens(std::vector<ScreenRect>& out) {
    std::lock_guard lock(mutex_);
    out.assign(screens_.begin(), screens_.end());
}

bool FakeMouseInput::canPost() {
    std::lock_guard lock(mutex_);
    return canPost_;
}

void FakeMouseInput::setCursor(std::optional<GlobalPoint> cursor) {
    std::lock_guard lock(mutex_);
    cursor_ = cursor;
}

void FakeMouseInput::setCursorFollowsEvents(bool follows) {
    std::lock_guard lock(mutex_);
    follows_ = follows;
}

void FakeMouseInput::setScreens(std::vector<ScreenRect> screens) {
    std::lock_guard lock(mutex_);
    screens_ = std::move(screens);
}

void FakeMouseInput::setCanPost(bool canPost) {
    std::lock_guard lock(mutex_);
    canPost_ = canPost;
}

std::vector<FakeMouseInput::Recorded> FakeMouseInput::recorded() const {
    std::lock_guard lock(mutex_);
    return recorded_;
}

std::vector<MouseEvent> FakeMouseInput::events() const {
    std::lock_guard lock(mutex_);
    std::vector<MouseEvent> out;
    out.reserve(recorded_.size());
    for (const auto& r : recorded_) out.push_back(r.event);
    return out;
}

int FakeMouseInput::operationCount() const {
    std::lock_guard lock(mutex_);
    return operations_;
}

int FakeMouseInput::cursorQueries() const {
    std::lock_guard lock(mutex_);
    return queries_;
}

void FakeMouseInput::clear() {
    std::lock_guard lock(mutex_);
    recorded_.clear();
    operations_ = 0;
    queries_ = 0;
}

}  // namespace clicktrove::platform
