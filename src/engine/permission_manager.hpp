#pragma once

#include "platform/async_permission_check.hpp"
#include "platform/clock.hpp"
#include "platform/input_permission.hpp"
#include "platform/main_queue.hpp"
#include "platform/url_opener.hpp"

#include <QObject>
#include <QString>
#include <memory>

namespace clicktrove {

// Whether synthetic input may be posted ("input permission"), refreshed once a second. On X11 that means a
// display is reachable and offers XTEST. The checks run on a worker so a hung display never stalls the UI;
// the flag changes, and the signal fires, only when the answer differs from the current value.
class PermissionManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasAccessibilityPermission READ hasAccessibilityPermission NOTIFY hasAccessibilityPermissionChanged)
public:
    // How long the UI thread waits, by default, for an answer when it asks at once (construction,
    // checkPermission).
    static constexpr std::chrono::milliseconds immediateWait{250};
    static constexpr std::chrono::seconds pollInterval{1};

    // Checks once, then starts monitoring. Main thread. The main queue and the URL opener must outlive it.
    // answerWait bounds how long construction and checkPermission block the UI thread for an answer.
    PermissionManager(std::shared_ptr<platform::InputPermission> permission, platform::MainQueue& mainQueue,
                      platform::UrlOpener& urlOpener, const platform::Clock& clock = platform::SystemClock::instance(),
                      QObject* parent = nullptr, std::chrono::milliseconds answerWait = immediateWait);
    ~PermissionManager() override;

    bool hasAccessibilityPermission() const { return hasAccessibilityPermission_; }

    // (Re)starts the one-second poll; a running poll is replaced, never doubled.
    void startMonitoring();
    void stopMonitoring();
    // Asks now and stores a changed answer. When the display does not answer within answerWait, the answer
    // arrives through the poll path instead.
    void checkPermission();
    // Opens the help page on making input possible (X11 session, DISPLAY, XAUTHORITY) with the desktop's
    // handler. Changes nothing; the next poll sees the result.
    void openSystemSettings();

    // The installed help page: beside the executable (../share/clicktrove) or in the XDG data folders.
    // Empty when it cannot be found.
    static QString helpPagePath();

signals:
    void hasAccessibilityPermissionChanged(bool hasAccessibilityPermission);

private:
    void store(bool mayPost);
    void schedulePoll();

    platform::MainQueue& mainQueue_;
    platform::UrlOpener& urlOpener_;
    const std::chrono::milliseconds answerWait_;
    bool hasAccessibilityPermission_ = false;
    platform::MainQueue::TaskId timer_ = 0;
    bool monitoring_ = false;
    platform::AsyncPermissionCheck check_;
};

}  // namespace clicktrove
