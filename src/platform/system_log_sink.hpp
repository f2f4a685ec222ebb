#pragma once

#include "platform/log_sink.hpp"

#include <memory>

namespace clicktrove::platform {

// Writes to the system log through syslog(3), at warning level; on a systemd desktop the journal receives
// it tagged with the executable's name (journalctl -t clicktrove).
class SystemLogSink final : public LogSink {
public:
    void write(const std::string& line) override;

    // The process-wide sink.
    static std::shared_ptr<LogSink> shared();
};

}  // namespace clicktrove::platform
