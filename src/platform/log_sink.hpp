#pragma once

#include <string>

namespace clicktrove::platform {

// Where the program's few failure messages go. Implementations are safe to call from any thread.
class LogSink {
public:
    virtual ~LogSink() = default;

    // Writes one line (without a trailing newline).
    virtual void write(const std::string& line) = 0;
};

}  // namespace clicktrove::platform
