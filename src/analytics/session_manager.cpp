#include "analytics/session_manager.hpp"

#include <cmath>
#include <ctime>

namespace clicktrove::analytics {

namespace {

std::string fullDate(const std::tm& tm) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return text;
}

std::time_t toTimeT(std::chrono::system_clock::time_point time) {
    return std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
}

}  // namespace

std::string SessionManager::localFullDate(std::chrono::system_clock::time_point time) {
    const std::time_t t = toTimeT(time);
    std::tm tm{};
    localtime_r(&t, &tm);
    return fullDate(tm);
}

std::string SessionManager::utcFullDate(std::chrono::system_clock::time_point time) {
    const std::time_t t = toTimeT(time);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return fullDate(tm);
}

std::shared_ptr<SessionManager> SessionManager::create(TelemetryEnvironment environment, Suite suite, Send send) {
    std::shared_ptr<SessionManager> manager(
        new SessionManager(std::move(environment), std::move(suite), std::move(send)));
    manager->load();
    manager->recordDistinctDay();
    return manager;
}

SessionManager::SessionManager(TelemetryEnvironment environment, Suite suite, Send send)
    : environment_(std::move(environment)), suite_(std::move(suite)), send_(std::move(send)) {}

void SessionManager::write(std::function<void(platform::UserDefaults&)> change) {
    // The suite is looked up here, on the main thread; the write itself goes to the scheduler's one thread, in
    // the order the writes were made.
    auto suite = suite_ ? suite_() : nullptr;
    if (!suite) return;
    environment_.scheduler->post([suite, change = std::move(change)] { change(*suite); });
}

void SessionManager::load() {
    const auto suite = suite_ ? suite_() : nullptr;
    if (!suite) return;
    const auto data = suite->string("recentSessions");
    if (!data) return;
    const auto decoded = StoredSession::decodeList(*data);
    if (!decoded) return;
    const auto limit = environment_.clock->now() - retentionWindow;
    std::int64_t dropped = 0;
    for (const auto& s : *decoded) {
        if (s.startedAt > limit) {
            recentSessions_.push_back(s);
        } else {
            ++dropped;
        }
    }
    const std::int64_t deleted = suite->integer("deletedSessionsCount").value_or(0) + dropped;
    write([deleted](platform::UserDefaults& s) { s.setValue("deletedSessionsCount", deleted); });
}

std::vector<std::string> SessionManager::storedDistinctDays() const {
    std::vector<std::string> days;
    const auto suite = suite_ ? suite_() : nullptr;
    if (!suite) return days;
    const auto value = suite->value("distinctDaysUsed");
    if (!value || !value->is_array()) return days;
    for (const auto& d : *value) {
        if (d.is_string()) days.push_back(d.get<std::string>());
    }
    return days;
}

void SessionManager::recordDistinctDay() {
    const std::string today = localFullDate(environment_.clock->now());
    auto days = storedDistinctDays();
    if (!days.empty() && days.back() == today) return;
    days.push_back(today);
    write([days](platform::UserDefaults& s) { s.setValue("distinctDaysUsed", days); });
}

void SessionManager::startNewSession() {
    stopSessionTimer();
    const auto now = environment_.clock->now();
    if (recentSessions_.empty()) {
        const std::string today = localFullDate(now);
        write([today](platform::UserDefaults& s) { s.setValue("firstSessionDate", today); });
        if (send_)
            send_("Tallywire.Acquisition.newInstallDetected", {{"Tallywire.Acquisition.firstSessionDate", today}});
    }
    currentSessionStartedAt_ = now;
    currentSessionDuration_ = 0;
    updateSessionDuration();
    startTimer();
}

void SessionManager::updateSessionDuration() {
    const auto now = environment_.clock->monotonicNow();
    if (sessionDurationLastUpdatedAt_) {
        currentSessionDuration_ += std::chrono::duration<double>(now - *sessionDurationLastUpdatedAt_).count();
    }
    sessionDurationLastUpdatedAt_ = now;
    persistCurrentSession();
}

void SessionManager::persistCurrentSession() {
    // Without a started session there is nothing to store the time against.
    if (!currentSessionStartedAt_) return;
    if (!(currentSessionDuration_ >= 1)) return;
    const auto seconds = static_cast<std::int64_t>(currentSessionDuration_);
    bool found = false;
    for (auto it = recentSessions_.rbegin(); it != recentSessions_.rend(); ++it) {
        if (it->startedAt == *currentSessionStartedAt_) {
            it->durationInSeconds = seconds;
            found = true;
            break;
        }
    }
    if (!found) recentSessions_.push_back(StoredSession{*currentSessionStartedAt_, seconds});
    sessionListChanged_ = true;
    const auto now = environment_.clock->monotonicNow();
    if (!sessionListWrittenAt_ || now - *sessionListWrittenAt_ >= sessionListWriteInterval) saveRecentSessions(false);
}

void SessionManager::saveRecentSessions(bool now) {
    if (!sessionListChanged_) return;
    sessionListChanged_ = false;
    sessionListWrittenAt_ = environment_.clock->monotonicNow();
    auto suite = suite_ ? suite_() : nullptr;
    if (!suite) return;
    const std::uint64_t generation = ++sessionListGeneration_;
    auto job = [suite, order = writeOrder_, generation, encoded = StoredSession::encodeList(recentSessions_)] {
        std::lock_guard lock(order->mutex);
        if (generation <= order->written) return;
        order->written = generation;
        suite->setValue("recentSessions", encoded);
    };
    if (now) {
        job();
    } else {
        environment_.scheduler->post(std::move(job));
    }
}

void SessionManager::applicationWillTerminate() {
    updateSessionDuration();
    saveRecentSessions(true);
}

void SessionManager::startTimer() {
    if (timer_ != 0) environment_.mainQueue->cancel(timer_);
    std::weak_ptr<SessionManager> weak = weak_from_this();
    timer_ = environment_.mainQueue->postAfter(std::chrono::seconds(1), [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->timer_ = 0;
        self->updateSessionDuration();
        self->startTimer();
    });
}

void SessionManager::stopSessionTimer() {
    if (timer_ != 0) environment_.mainQueue->cancel(timer_);
    timer_ = 0;
    sessionDurationLastUpdatedAt_.reset();
}

void SessionManager::handleDidEnterBackgroundNotification() {
    updateSessionDuration();
    stopSessionTimer();
    saveRecentSessions(false);
}

void SessionManager::handleWillEnterForegroundNotification() {
    // Before the first session there is nothing to measure; a timer then would only count time against no
    // session at all.
    if (!currentSessionStartedAt_) return;
    updateSessionDuration();
    startTimer();
}

std::int64_t SessionManager::averageSessionSeconds() const {
    const std::size_t n = recentSessions_.size();
    if (n == 0) return -1;
    if (n == 1) return recentSessions_[0].durationInSeconds;
    std::int64_t sum = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) sum += recentSessions_[i].durationInSeconds;
    return sum / static_cast<std::int64_t>(n - 1);
}

std::optional<std::int64_t> SessionManager::previousSessionSeconds() const {
    const std::size_t n = recentSessions_.size();
    if (n < 2) return std::nullopt;
    return recentSessions_[n - 2].durationInSeconds;
}

std::int64_t SessionManager::totalSessionsCount() const {
    const auto suite = suite_ ? suite_() : nullptr;
    const std::int64_t deleted = suite ? suite->integer("deletedSessionsCount").value_or(0) : 0;
    return static_cast<std::int64_t>(recentSessions_.size()) + deleted;
}

std::int64_t SessionManager::distinctDaysUsed() const {
    return static_cast<std::int64_t>(storedDistinctDays().size());
}

std::int64_t SessionManager::distinctDaysUsedLastMonth() const {
    const std::string threshold = utcFullDate(environment_.clock->now() - std::chrono::seconds(2592000));
    std::int64_t n = 0;
    for (const auto& day : storedDistinctDays()) n += day >= threshold ? 1 : 0;
    return n;
}

std::string SessionManager::firstSessionDate() const {
    const auto suite = suite_ ? suite_() : nullptr;
    if (suite) {
        if (auto stored = suite->string("firstSessionDate")) return *stored;
    }
    return localFullDate(environment_.clock->now());
}

}  // namespace clicktrove::analytics
