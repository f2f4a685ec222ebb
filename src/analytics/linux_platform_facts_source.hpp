#pragma once

#include "analytics/platform_facts.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

namespace clicktrove::analytics {

// The facts of this Linux machine: kernel and machine from uname, the distribution from os-release, the model
// from the firmware's DMI table or the device tree, locale and languages from the environment. What only the
// app knows (screen, colour scheme, layout direction, accessibility settings) it tells when asked.
class LinuxPlatformFactsSource final : public PlatformFactsSource {
public:
    // Fills in the facts only the app knows, as they are at the moment of asking (main thread).
    using AppFacts = std::function<void(PlatformFacts&)>;

    // root lets tests point the file reads (os-release, DMI, device tree) at a prepared tree.
    LinuxPlatformFactsSource(std::string appVersion, std::string appBuild, std::filesystem::path root = "/");

    PlatformFacts facts() override;

    // Asked at every facts(), so each signal reports the appearance and screen of its own moment.
    void setAppFacts(AppFacts appFacts);

    // "de_DE.UTF-8@euro" gives "de_DE"; "C", "POSIX" and empty give "en_US_POSIX".
    static std::string localeFromEnvironmentValue(const std::string& value);
    // The kernel release "6.1.0-18-amd64" gives 6, 1, 0.
    static std::array<int, 3> parseKernelRelease(const std::string& release);
    // The distribution's NAME from os-release text, or nothing.
    static std::optional<std::string> osReleaseName(const std::string& text);

private:
    std::mutex mutex_;
    PlatformFacts fixed_;
    AppFacts appFacts_;
};

}  // namespace clicktrove::analytics
