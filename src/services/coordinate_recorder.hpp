#pragma once

#include "platform/main_queue.hpp"
#include "platform/mouse_input.hpp"

#include <QObject>
#include <functional>
#include <optional>

namespace clicktrove {

class AudioManager;

// Captures one screen point for the click configuration: a five-second countdown with a beep at 4, 3, 2 and 1
// seconds left, then the cursor position in global coordinates, the "Glass" confirmation sound and the
// completion, in that order. Main thread only.
class CoordinateRecorder final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int countdownRemaining READ countdownRemaining NOTIFY countdownRemainingChanged)
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
public:
    using Completion = std::function<void(platform::GlobalPoint)>;

    static constexpr int countdownSeconds = 5;

    CoordinateRecorder(platform::MainQueue& mainQueue, platform::MouseInput& mouseInput, AudioManager& audio,
                       QObject* parent = nullptr);
    ~CoordinateRecorder() override;

    int countdownRemaining() const { return countdownRemaining_; }
    bool isRecording() const { return isRecording_; }

    // Starts the countdown, or starts it over at 5 when one is running; from now on only this completion
    // receives the point.
    void startRecording(Completion completion);
    // Stops a running countdown without capturing. The stored completion stays.
    void cancel();

signals:
    void countdownRemainingChanged();
    void isRecordingChanged();

private:
    void tick();
    void scheduleTick();
    void stopTimer();
    void setCountdownRemaining(int value);
    void setIsRecording(bool value);

    platform::MainQueue& mainQueue_;
    platform::MouseInput& mouseInput_;
    AudioManager& audio_;
    int countdownRemaining_ = 0;
    bool isRecording_ = false;
    std::optional<platform::MainQueue::TaskId> timer_;
    Completion completion_;
};

}  // namespace clicktrove
