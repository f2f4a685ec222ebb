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
    // Where the system-log output puts one message: its syslog priority (7 debug, 6 info, 3 error) and text.
    using SystemLogWriter = std::function<void(int priority, const std::string& message)>;

    // Set to "1" when the handler is made, it lets debug messages reach the system log.
    static constexpr const char* debugEnvironmentVariable = "CLICKTROVE_ANALYTICS_DEBUG";

    LogLevel logLevel = LogLevel::info;
    Sink handler;

    // A handler of the given level that writes to the system log: the journal, with the subsystem "Tallywire"
    // and the category "LogHandler" as fields, or syslog on a build without the journal. Debug messages are
    // written only while debugEnvironmentVariable is "1" at the handler's making, since journald keeps debug
    // entries by default and they carry upload bodies (the hashed user, usage facts).
    static LogHandler standard(LogLevel level);
    // The same output through another writer.
    static LogHandler standard(LogLevel level, SystemLogWriter writer);
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
