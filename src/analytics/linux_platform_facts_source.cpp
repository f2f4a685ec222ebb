#include "analytics/linux_platform_facts_source.hpp"

#include "platform/file_read.hpp"

#include <sys/utsname.h>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <sstream>

namespace clicktrove::analytics {

namespace {

std::string firstLine(std::string text) {
    const auto nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r')) text.pop_back();
    return text;
}

// The facts are one-line files and os-release a few dozen lines; anything larger is not what it claims to be.
constexpr std::size_t kMaxFactBytes = 64 * 1024;

std::string readFact(const std::filesystem::path& path) {
    return firstLine(platform::readRegularFile(path, kMaxFactBytes).contents);
}

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The locale category that decides the language of messages, as glibc chooses it.
std::string messagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = environment(name)) return value;
    }
    return {};
}

}  // namespace

LinuxPlatformFactsSource::LinuxPlatformFactsSource(std::string appVersion, std::string appBuild,
                                                   std::filesystem::path root) {
    fixed_.appVersion = appVersion.empty() ? "0" : std::move(appVersion);
    fixed_.appBuild = appBuild.empty() ? "0" : std::move(appBuild);
#ifdef NDEBUG
    fixed_.isDebugBuild = false;
#else
    fixed_.isDebugBuild = true;
#endif
    utsname u{};
    std::string machine;
    if (::uname(&u) == 0) {
        machine = u.machine;
        fixed_.platform = u.sysname;
        fixed_.systemVersion = parseKernelRelease(u.release);
    }
    fixed_.architecture = machine;
    // Firmware tables name PCs; boards without them (ARM) name themselves in the device tree.
    std::string model = readFact(root / "sys/devices/virtual/dmi/id/product_name");
    if (model.empty()) model = readFact(root / "proc/device-tree/model");
    if (model.empty()) model = machine;
    fixed_.modelName = model;
    auto osRelease = platform::readRegularFile(root / "etc/os-release", kMaxFactBytes);
    if (!osRelease.ok()) osRelease = platform::readRegularFile(root / "usr/lib/os-release", kMaxFactBytes);
    fixed_.operatingSystem = osReleaseName(osRelease.contents).value_or(fixed_.platform);
}

PlatformFacts LinuxPlatformFactsSource::facts() {
    PlatformFacts facts;
    AppFacts appFacts;
    {
        std::lock_guard lock(mutex_);
        facts = fixed_;
        appFacts = appFacts_;
    }
    // The app's code runs outside our lock.
    if (appFacts) appFacts(facts);
    facts.localeIdentifier = localeFromEnvironmentValue(messagesLocale());
    facts.preferredLanguages.clear();
    // LANGUAGE is the user's ordered list of message languages ("de_DE:en"); without it, the locale's own.
    if (const char* list = environment("LANGUAGE"); list && facts.localeIdentifier != "en_US_POSIX") {
        std::stringstream s(list);
        std::string item;
        while (std::getline(s, item, ':')) {
            if (item.empty()) continue;
            std::replace(item.begin(), item.end(), '_', '-');
            facts.preferredLanguages.push_back(item);
        }
    }
    if (facts.preferredLanguages.empty() && facts.localeIdentifier != "en_US_POSIX") {
        std::string tag = facts.localeIdentifier;
        std::replace(tag.begin(), tag.end(), '_', '-');
        facts.preferredLanguages.push_back(tag);
    }
    return facts;
}

void LinuxPlatformFactsSource::setAppFacts(AppFacts appFacts) {
    std::lock_guard lock(mutex_);
    appFacts_ = std::move(appFacts);
}

std::string LinuxPlatformFactsSource::localeFromEnvironmentValue(const std::string& value) {
    std::string id = value.substr(0, value.find_first_of(".@"));
    if (id.empty() || id == "C" || id == "POSIX") return "en_US_POSIX";
    return id;
}

std::array<int, 3> LinuxPlatformFactsSource::parseKernelRelease(const std::string& release) {
    std::array<int, 3> parts{0, 0, 0};
    std::size_t at = 0;
    for (int i = 0; i < 3 && at < release.size(); ++i) {
        std::size_t end = at;
        while (end < release.size() && std::isdigit(static_cast<unsigned char>(release[end]))) ++end;
        if (end == at) break;
        // A number too large for an int is no version the kernel gives; it counts as 0, never as a wrapped value.
        int part = 0;
        if (std::from_chars(release.data() + at, release.data() + end, part).ec == std::errc()) parts[i] = part;
        if (end >= release.size() || release[end] != '.') break;
        at = end + 1;
    }
    return parts;
}

std::optional<std::string> LinuxPlatformFactsSource::osReleaseName(const std::string& text) {
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line)) {
        if (line.rfind("NAME=", 0) != 0) continue;
        std::string value = line.substr(5);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        if (!value.empty()) return value;
    }
    return std::nullopt;
}

}  // namespace clicktrove::analytics
