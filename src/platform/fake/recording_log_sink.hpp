#pragma once

#include "platform/log_sink.hpp"

#include <mutex>
#include <string>
#include <vector>

namespace clicktrove::platform {

// A log sink that keeps every line in memory.
class RecordingLogSink final : public LogSink {
public:
    void write(const std::string& line) override;

    std::vector<std::string> lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace clicktrove::platform
