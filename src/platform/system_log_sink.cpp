#include "platform/system_log_sink.hpp"

#include <syslog.h>

namespace clicktrove::platform {

void SystemLogSink::write(const std::string& line) {
    // "%s": the line carries text from elsewhere (an error description) and must never act as a format.
    ::syslog(LOG_USER | LOG_WARNING, "%s", line.c_str());
}

std::shared_ptr<LogSink> SystemLogSink::shared() {
    static const std::shared_ptr<LogSink> sink = std::make_shared<SystemLogSink>();
    return sink;
}

}  // namespace clicktrove::platform
