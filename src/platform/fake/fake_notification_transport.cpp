#include "platform/fake/fake_notification_transport.hpp"

#include <stdexcept>
#include <utility>

namespace clicktrove::platform {

void FakeNotificationTransport::checkServer(ServerHandler onAnswer) {
    checks_.push_back(std::move(onAnswer));
}

void FakeNotificationTransport::send(const Notification& notification, SendHandler onDone) {
    sent_.push_back(notification);
    sends_.push_back(std::move(onDone));
}

void FakeNotificationTransport::answerCheck(bool serverPresent) {
    if (checks_.empty()) throw std::logic_error("no server check to answer");
    auto handler = std::move(checks_.front());
    checks_.pop_front();
    handler(serverPresent);
}

void FakeNotificationTransport::completeSend(std::optional<std::string> error) {
    if (sends_.empty()) throw std::logic_error("no send to complete");
    auto handler = std::move(sends_.front());
    sends_.pop_front();
    handler(std::move(error));
}

}  // namespace clicktrove::platform
