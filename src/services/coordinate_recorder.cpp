#include "services/coordinate_recorder.hpp"

#include "services/audio_manager.hpp"

#include <chrono>

namespace clicktrove {

CoordinateRecorder::CoordinateRecorder(platform::MainQueue& mainQueue, platform::MouseInput& mouseInput,
                                       AudioManager& audio, QObject* parent)
    : QObject(parent), mainQueue_(mainQueue), mouseInput_(mouseInput), audio_(audio) {}

CoordinateRecorder::~CoordinateRecorder() {
    stopTimer();
}

void CoordinateRecorder::startRecording(Completion completion) {
    completion_ = std::move(completion);
    setCountdownRemaining(countdownSeconds);
    setIsRecording(true);
    stopTimer();
    scheduleTick();
}

void CoordinateRecorder::cancel() {
    stopTimer();
    setIsRecording(false);
    setCountdownRemaining(0);
}

void CoordinateRecorder::scheduleTick() {
    // A repeating one-second timer, re-armed at each firing.
    timer_ = mainQueue_.postAfter(std::chrono::seconds(1), [this] {
        timer_.reset();
        tick();
    });
}

void CoordinateRecorder::stopTimer() {
    if (timer_) mainQueue_.cancel(*timer_);
    timer_.reset();
}

void CoordinateRecorder::tick() {
    setCountdownRemaining(countdownRemaining_ - 1);
    if (countdownRemaining_ >= 1) {
        audio_.beep();
        scheduleTick();
        return;
    }
    setIsRecording(false);
    const std::optional<platform::GlobalPoint> point = mouseInput_.cursorPosition();
    // No readable pointer (the display went away): the capture ends without a point and without the sound of
    // success; a made-up point would be added to the coordinate list as if the user had chosen it.
    if (!point) return;
    audio_.playSystemSound("Glass");
    if (completion_) {
        // A copy: the completion may start a new capture, which replaces the stored one.
        const Completion completion = completion_;
        completion(*point);
    }
}

void CoordinateRecorder::setCountdownRemaining(int value) {
    if (countdownRemaining_ == value) return;
    countdownRemaining_ = value;
    emit countdownRemainingChanged();
}

void CoordinateRecorder::setIsRecording(bool value) {
    if (isRecording_ == value) return;
    isRecording_ = value;
    emit isRecordingChanged();
}

}  // namespace clicktrove
