#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace clicktrove::analytics {

// The analytics client's only reporting channel: a level filter in front of a sink.
struct LogHandler {
    enum class LogLevel { debug = 0, info = 1, error = 2 };
    using Sink = std::function<void(LogLevel, const std::string&)>;

    LogLevel logLevel = LogLevel::info;
    Sink handler;

    // A handler of the given level that writes to the system log: the journal, with the subsystem "Tallywire"
    // and the category "LogHandler" as fields, or syslog on a build without the journal.
    static LogHandler standard(LogLevel level);
    // A handler of the given level that prints one line per message on standard output.
    static LogHandler printed(LogLevel level);

    // Calls the sink when the message's level is at least logLevel.
    void log(LogLevel level, const std::string& message) const;

    static std::string_view description(LogLevel level);
    static std::optional<LogLevel> levelFromRawValue(int raw);
    // The printed form: "[Tallywire: LEVEL] message" and a newline.
    static std::string printedLine(LogLevel level, std::string_view message);
};

// Logs through an optional handler; an absent handler means silence.
inline void logTo(const std::optional<LogHandler>& handler, LogHandler::LogLevel level, const std::string& message) {
    if (handler) handler->log(level, message);
}

}  // namespace clicktrove::analytics
