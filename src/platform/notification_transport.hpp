#pragma once

#include <functional>
#include <optional>
#include <string>

namespace clicktrove::platform {

// The desktop's notification service. Both operations return at once; their answers arrive later on the
// main thread, and never after the transport is destroyed.
class NotificationTransport {
public:
    struct Notification {
        std::string title;
        std::string body;
        std::string soundName;  // a sound-theme event id; empty for a silent one
    };
    using ServerHandler = std::function<void(bool serverPresent)>;
    // Receives the failure's description, or none when the service took the notification.
    using SendHandler = std::function<void(std::optional<std::string> error)>;

    virtual ~NotificationTransport() = default;

    // Asks whether a notification server is there to show notifications.
    virtual void checkServer(ServerHandler onAnswer) = 0;
    // Hands one notification to the server for display now.
    virtual void send(const Notification& notification, SendHandler onDone) = 0;
};

}  // namespace clicktrove::platform
