#include "analytics/default_signal_payload.hpp"

#include "analytics/session_manager.hpp"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <charconv>
#include <cstdlib>
#include <memory>

namespace clicktrove::analytics {

namespace {

std::vector<std::string> splitLocale(const std::string& text) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == '-' || c == '_') {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    parts.push_back(current);
    return parts;
}

bool isRegionCode(const std::string& part) {
    if (part.size() == 2)
        return std::isupper(static_cast<unsigned char>(part[0])) && std::isupper(static_cast<unsigned char>(part[1]));
    if (part.size() == 3) {
        return std::isdigit(static_cast<unsigned char>(part[0])) && std::isdigit(static_cast<unsigned char>(part[1])) &&
               std::isdigit(static_cast<unsigned char>(part[2]));
    }
    return false;
}

const char* boolText(bool value) {
    return value ? "true" : "false";
}

}  // namespace

std::string DefaultSignalPayload::timeZoneText(int s) {
    const int h = s / 3600;
    const int m = s / 60 - h * 60;
    std::string text = "UTC";
    text += s < 0 ? "-" : "+";
    text += std::to_string(std::abs(h));
    if (m != 0) {
        char minutes[16];
        std::snprintf(minutes, sizeof minutes, ":%02d", std::abs(m));
        text += minutes;
    }
    return text;
}

std::string DefaultSignalPayload::doubleText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}

DefaultSignalPayload::CalendarFields DefaultSignalPayload::calendarFields(std::chrono::system_clock::time_point now,
                                                                          const std::string& localeIdentifier) {
    CalendarFields f;
    UErrorCode status = U_ZERO_ERROR;
    // Detected afresh, not ICU's cached default, so a change of TZ takes effect.
    icu::TimeZone* zone = icu::TimeZone::detectHostTimeZone();
    const icu::Locale locale((localeIdentifier + "@calendar=gregorian").c_str());
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(zone, locale, status));
    if (U_FAILURE(status) || !calendar) return f;
    const UDate date =
        static_cast<UDate>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
    calendar->setTime(date, status);
    if (U_FAILURE(status)) return f;
    auto field = [&](UCalendarDateFields which) {
        UErrorCode s = U_ZERO_ERROR;
        const int value = calendar->get(which, s);
        return U_FAILURE(s) ? -1 : value;
    };
    f.dayOfMonth = field(UCAL_DAY_OF_MONTH);
    const int weekday = field(UCAL_DAY_OF_WEEK);  // Sunday 1 ... Saturday 7
    f.dayOfWeek = weekday < 0 ? -1 : (weekday == 1 ? 7 : weekday - 1);
    f.dayOfYear = field(UCAL_DAY_OF_YEAR);
    f.weekOfYear = field(UCAL_WEEK_OF_YEAR);
    const int month = field(UCAL_MONTH);
    f.monthOfYear = month < 0 ? -1 : month + 1;
    f.quarterOfYear = month < 0 ? -1 : month / 3 + 1;
    const int hour = field(UCAL_HOUR_OF_DAY);
    f.hourOfDay = hour < 0 ? 0 : hour + 1;
    UErrorCode offsetStatus = U_ZERO_ERROR;
    const int offsetMs = calendar->get(UCAL_ZONE_OFFSET, offsetStatus) + calendar->get(UCAL_DST_OFFSET, offsetStatus);
    f.utcOffsetSeconds = U_FAILURE(offsetStatus) ? 0 : offsetMs / 1000;
    return f;
}

std::string DefaultSignalPayload::region(const std::string& localeIdentifier) {
    const auto parts = splitLocale(localeIdentifier);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (isRegionCode(parts[i])) return parts[i];
    }
    return parts.back();
}

std::string DefaultSignalPayload::appLanguage(const std::string& localeIdentifier) {
    return splitLocale(localeIdentifier).front();
}

std::string DefaultSignalPayload::preferredLanguage(const std::vector<std::string>& preferredLanguages) {
    const std::string first = preferredLanguages.empty() ? "zz-ZZ" : preferredLanguages.front();
    return splitLocale(first).front();
}

DefaultSignalPayload::Parameters DefaultSignalPayload::parameters(const PlatformFacts& facts,
                                                                  std::chrono::system_clock::time_point now,
                                                                  const SessionManager* statistics) {
    Parameters p;
    auto both = [&p](const char* key, const char* shortKey, const std::string& value) {
        p[key] = value;
        p[shortKey] = value;
    };
    const auto& v = facts.systemVersion;
    const std::string os = facts.operatingSystem;
    const std::string major = std::to_string(v[0]);
    const std::string majorMinor = major + "." + std::to_string(v[1]);
    const std::string full = majorMinor + "." + std::to_string(v[2]);
    const CalendarFields cal = calendarFields(now, facts.localeIdentifier);

    both("Tallywire.AppInfo.version", "appVersion", facts.appVersion);
    both("Tallywire.AppInfo.buildNumber", "buildNumber", facts.appBuild);
    p["Tallywire.AppInfo.versionAndBuildNumber"] = facts.appVersion + " (build " + facts.appBuild + ")";
    both("Tallywire.Device.architecture", "architecture", facts.architecture.empty() ? "N/A" : facts.architecture);
    both("Tallywire.Device.modelName", "modelName", facts.modelName.empty() ? "N/A" : facts.modelName);
    both("Tallywire.Device.operatingSystem", "operatingSystem", os);
    p["Tallywire.Device.orientation"] = "Fixed";
    both("Tallywire.Device.platform", "platform", facts.platform);
    p["Tallywire.Device.screenResolutionHeight"] = facts.mainScreen ? doubleText(facts.mainScreen->height) : "N/A";
    p["Tallywire.Device.screenResolutionWidth"] = facts.mainScreen ? doubleText(facts.mainScreen->width) : "N/A";
    p["Tallywire.Device.screenScaleFactor"] = facts.mainScreen ? doubleText(facts.mainScreen->scale) : "N/A";
    // The version family names the kernel, the one version every Linux system shares.
    both("Tallywire.Device.systemMajorMinorVersion", "majorMinorSystemVersion", facts.platform + " " + majorMinor);
    both("Tallywire.Device.systemMajorVersion", "majorSystemVersion", facts.platform + " " + major);
    both("Tallywire.Device.systemVersion", "systemVersion", facts.platform + " " + full);
    p["Tallywire.Device.timeZone"] = timeZoneText(cal.utcOffsetSeconds);
    // Installed from a package or built by hand: no store, and no store test build.
    both("Tallywire.RunContext.isAppStore", "isAppStore", "false");
    both("Tallywire.RunContext.isDebug", "isDebug", boolText(facts.isDebugBuild));
    both("Tallywire.RunContext.isSimulator", "isSimulator", "false");
    both("Tallywire.RunContext.isTestFlight", "isTestFlight", "false");
    both("Tallywire.RunContext.language", "appLanguage", appLanguage(facts.localeIdentifier));
    both("Tallywire.RunContext.locale", "locale", facts.localeIdentifier);
    both("Tallywire.RunContext.targetEnvironment", "targetEnvironment", "native");
    p["Tallywire.SDK.name"] = clientName;
    p["Tallywire.SDK.nameAndVersion"] = std::string(clientName) + " " + clientVersion;
    both("Tallywire.SDK.version", "telemetryClientVersion", clientVersion);
    p["Tallywire.UserPreference.colorScheme"] = facts.colorScheme ? *facts.colorScheme : "N/A";
    both("Tallywire.UserPreference.language", "preferredLanguage", preferredLanguage(facts.preferredLanguages));
    p["Tallywire.UserPreference.layoutDirection"] =
        !facts.layoutDirection                                                  ? "N/A"
        : *facts.layoutDirection == PlatformFacts::LayoutDirection::leftToRight ? "leftToRight"
                                                                                : "rightToLeft";
    both("Tallywire.UserPreference.region", "region", region(facts.localeIdentifier));

    if (facts.reduceMotion || facts.invertColors) {
        p["Tallywire.Accessibility.isReduceMotionEnabled"] = boolText(facts.reduceMotion.value_or(false));
        p["Tallywire.Accessibility.isInvertColorsEnabled"] = boolText(facts.invertColors.value_or(false));
    }

    p["Tallywire.Calendar.dayOfMonth"] = std::to_string(cal.dayOfMonth);
    p["Tallywire.Calendar.dayOfWeek"] = std::to_string(cal.dayOfWeek);
    p["Tallywire.Calendar.dayOfYear"] = std::to_string(cal.dayOfYear);
    p["Tallywire.Calendar.weekOfYear"] = std::to_string(cal.weekOfYear);
    p["Tallywire.Calendar.isWeekend"] = boolText(cal.dayOfWeek >= 6);
    p["Tallywire.Calendar.monthOfYear"] = std::to_string(cal.monthOfYear);
    p["Tallywire.Calendar.quarterOfYear"] = std::to_string(cal.quarterOfYear);
    p["Tallywire.Calendar.hourOfDay"] = std::to_string(cal.hourOfDay);

    if (statistics) {
        p["Tallywire.Acquisition.firstSessionDate"] = statistics->firstSessionDate();
        p["Tallywire.Retention.averageSessionSeconds"] = std::to_string(statistics->averageSessionSeconds());
        p["Tallywire.Retention.distinctDaysUsed"] = std::to_string(statistics->distinctDaysUsed());
        p["Tallywire.Retention.distinctDaysUsedLastMonth"] = std::to_string(statistics->distinctDaysUsedLastMonth());
        p["Tallywire.Retention.totalSessionsCount"] = std::to_string(statistics->totalSessionsCount());
        if (auto previous = statistics->previousSessionSeconds()) {
            p["Tallywire.Retention.previousSessionSeconds"] = std::to_string(*previous);
        }
    }
    return p;
}

}  // namespace clicktrove::analytics
