#include "platform/fake/recording_log_sink.hpp"

namespace clicktrove::platform {

void RecordingLogSink::write(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
}

std::vector<std::string> RecordingLogSink::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

}  // namespace clicktrove::platform
