#pragma once

#include "analytics/platform_facts.hpp"

#include <chrono>
#include <map>
#include <string>

namespace clicktrove::analytics {

class SessionManager;

// The parameters every signal carries: application, device, run context, preferences, calendar and the usage
// statistics. Built afresh for each signal on the main thread.
class DefaultSignalPayload {
public:
    using Parameters = std::map<std::string, std::string>;

    // The name and version this client reports as its own: the C++ client, versioned apart from the
    // application that embeds it (a new version when what it sends changes).
    static constexpr const char* clientName = "CppSDK";
    static constexpr const char* clientVersion = "1.0.0";

    // The statistics keys come from statistics; without one (a builder asked for the other keys alone) they
    // are left out.
    static Parameters parameters(const PlatformFacts& facts, std::chrono::system_clock::time_point now,
                                 const SessionManager* statistics);

    // "UTC+5:30" and the like, from an offset in seconds.
    static std::string timeZoneText(int offsetSeconds);
    // The shortest text that reads back as the same double, always with a fraction: 1117.0, 2.5.
    static std::string doubleText(double value);

    struct CalendarFields {
        int dayOfMonth = -1;
        int dayOfWeek = -1;  // Monday 1 ... Sunday 7
        int dayOfYear = -1;
        int weekOfYear = -1;
        int monthOfYear = -1;
        int quarterOfYear = -1;
        int hourOfDay = 0;  // 1 for the hour after midnight ... 24 for the hour before
        int utcOffsetSeconds = 0;
    };
    // The Gregorian calendar in the host's time zone, weeks counted by the locale's rules.
    static CalendarFields calendarFields(std::chrono::system_clock::time_point now,
                                         const std::string& localeIdentifier);

    // The three texts derived from the locale and the preferred languages.
    static std::string region(const std::string& localeIdentifier);
    static std::string appLanguage(const std::string& localeIdentifier);
    static std::string preferredLanguage(const std::vector<std::string>& preferredLanguages);
};

}  // namespace clicktrove::analytics
