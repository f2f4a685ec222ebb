#pragma once

#include "platform/notification_transport.hpp"

#include <deque>
#include <vector>

namespace clicktrove::platform {

// A notification service under the test's control: server checks and sends wait until the test answers them.
class FakeNotificationTransport final : public NotificationTransport {
public:
    void checkServer(ServerHandler onAnswer) override;
    void send(const Notification& notification, SendHandler onDone) override;

    std::size_t pendingChecks() const { return checks_.size(); }
    // Answers the oldest open server check.
    void answerCheck(bool serverPresent);

    const std::vector<Notification>& sent() const { return sent_; }
    std::size_t pendingSends() const { return sends_.size(); }
    // Completes the oldest open send: none for success, else the failure's description.
    void completeSend(std::optional<std::string> error = std::nullopt);

private:
    std::deque<ServerHandler> checks_;
    std::deque<SendHandler> sends_;
    std::vector<Notification> sent_;
};

}  // namespace clicktrove::platform
