#pragma once

#include "analytics/stored_session.hpp"
#include "analytics/telemetry_environment.hpp"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::analytics {

// The usage history behind the retention figures: the sessions of the last 90 days with their active time, how
// many older ones were dropped, the first session's date and the days the client started on. Lives on the
// main thread; every write to the defaults suite is queued, in order, on the scheduler. The current session's
// length is counted every second in memory and written at most every 30 s, when the app resigns active and
// when it terminates: each write rewrites the suite's file.
class SessionManager : public std::enable_shared_from_this<SessionManager> {
public:
    using Suite = std::function<std::shared_ptr<platform::UserDefaults>()>;
    using Send = std::function<void(const std::string& name, const std::map<std::string, std::string>& parameters)>;

    static constexpr std::chrono::seconds retentionWindow{7776000};  // 90 days
    static constexpr std::chrono::seconds sessionListWriteInterval{30};

    // Loads the history, drops sessions outside the window and records today as a day of use.
    static std::shared_ptr<SessionManager> create(TelemetryEnvironment environment, Suite suite, Send send);

    void startNewSession();
    void updateSessionDuration();
    // The app resigned active: inactive time is not counted.
    void handleDidEnterBackgroundNotification();
    // The app is about to become active again.
    void handleWillEnterForegroundNotification();
    // Writes the current session's length before the process ends, on the calling thread.
    void applicationWillTerminate();

    std::int64_t averageSessionSeconds() const;
    std::optional<std::int64_t> previousSessionSeconds() const;
    std::int64_t totalSessionsCount() const;
    std::int64_t distinctDaysUsed() const;
    std::int64_t distinctDaysUsedLastMonth() const;
    std::string firstSessionDate() const;
    const std::vector<StoredSession>& recentSessions() const { return recentSessions_; }
    bool measuring() const { return timer_ != 0; }

    // The local calendar date of a moment, "2026-03-09".
    static std::string localFullDate(std::chrono::system_clock::time_point time);
    // The same in UTC.
    static std::string utcFullDate(std::chrono::system_clock::time_point time);

private:
    SessionManager(TelemetryEnvironment environment, Suite suite, Send send);
    void load();
    void recordDistinctDay();
    void persistCurrentSession();
    // Writes the session list now (on the calling thread) or queued; a queued write older than one already
    // done is skipped, so a termination write is never undone by a write still waiting on the scheduler.
    void saveRecentSessions(bool now);
    void startTimer();
    void stopSessionTimer();
    std::vector<std::string> storedDistinctDays() const;
    void write(std::function<void(platform::UserDefaults&)> change);

    const TelemetryEnvironment environment_;
    const Suite suite_;
    const Send send_;
    std::vector<StoredSession> recentSessions_;
    std::optional<std::chrono::system_clock::time_point> currentSessionStartedAt_;
    double currentSessionDuration_ = 0;
    std::optional<std::chrono::steady_clock::time_point> sessionDurationLastUpdatedAt_;
    platform::MainQueue::TaskId timer_ = 0;
    // The list in memory differs from the one last written.
    bool sessionListChanged_ = false;
    std::optional<std::chrono::steady_clock::time_point> sessionListWrittenAt_;
    struct WriteOrder {
        std::mutex mutex;
        std::uint64_t written = 0;
    };
    std::uint64_t sessionListGeneration_ = 0;
    const std::shared_ptr<WriteOrder> writeOrder_ = std::make_shared<WriteOrder>();
};

}  // namespace clicktrove::analytics
