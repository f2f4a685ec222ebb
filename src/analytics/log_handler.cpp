#include "analytics/log_handler.hpp"

#include "build_config.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if CLICKTROVE_HAVE_JOURNAL
#include <systemd/sd-journal.h>
#else
#include <syslog.h>
#endif

namespace clicktrove::analytics {

namespace {

int syslogPriority(LogHandler::LogLevel level) {
    switch (level) {
        case LogHandler::LogLevel::debug:
            return 7;  // LOG_DEBUG
        case LogHandler::LogLevel::info:
            return 6;  // LOG_INFO
        case LogHandler::LogLevel::error:
            return 3;  // LOG_ERR
    }
    return 6;
}

void writeToSystemLog(int priority, const std::string& message) {
#if CLICKTROVE_HAVE_JOURNAL
    // Subsystem and category travel as their own journal fields so `journalctl LOG_SUBSYSTEM=Tallywire` finds
    // every message of the client whatever program embeds it.
    sd_journal_send("MESSAGE=%s", message.c_str(), "PRIORITY=%i", priority, "LOG_SUBSYSTEM=Tallywire",
                    "LOG_CATEGORY=LogHandler", "SYSLOG_IDENTIFIER=Tallywire", nullptr);
#else
    // syslog has no structured fields: the subsystem is the identifier and the category leads the text.
    openlog("Tallywire", LOG_PID, LOG_USER);
    syslog(priority, "[LogHandler] %s", message.c_str());
#endif
}

}  // namespace

LogHandler LogHandler::standard(LogLevel level) {
    return standard(level, &writeToSystemLog);
}

LogHandler LogHandler::standard(LogLevel level, SystemLogWriter writer) {
    // Read once here, not at each message: the environment is not safe to read while another thread sets it.
    const char* value = std::getenv(debugEnvironmentVariable);
    const bool debugEnabled = value != nullptr && std::strcmp(value, "1") == 0;
    return LogHandler{level, [debugEnabled, writer = std::move(writer)](LogLevel l, const std::string& message) {
                          if (l == LogLevel::debug && !debugEnabled) return;
                          writer(syslogPriority(l), message);
                      }};
}

LogHandler LogHandler::printed(LogLevel level) {
    return LogHandler{level, [](LogLevel l, const std::string& message) {
                          const std::string line = printedLine(l, message);
                          std::fwrite(line.data(), 1, line.size(), stdout);
                          std::fflush(stdout);
                      }};
}

void LogHandler::log(LogLevel level, const std::string& message) const {
    if (!handler) return;
    if (static_cast<int>(level) < static_cast<int>(logLevel)) return;
    handler(level, message);
}

std::string_view LogHandler::description(LogLevel level) {
    switch (level) {
        case LogLevel::debug:
            return "DEBUG";
        case LogLevel::info:
            return "INFO";
        case LogLevel::error:
            return "ERROR";
    }
    return "INFO";
}

std::optional<LogHandler::LogLevel> LogHandler::levelFromRawValue(int raw) {
    if (raw < 0 || raw > 2) return std::nullopt;
    return static_cast<LogLevel>(raw);
}

std::string LogHandler::printedLine(LogLevel level, std::string_view message) {
    std::string line = "[Tallywire: ";
    line.append(description(level)).append("] ").append(message).append("\n");
    return line;
}

}  // namespace clicktrove::analytics
