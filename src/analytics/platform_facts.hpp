#pragma once

#include <array>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::analytics {

// What the default parameters report about the application, the machine and the user's preferences.
struct PlatformFacts {
    struct Screen {
        double width = 0;  // logical pixels of the primary screen
        double height = 0;
        double scale = 1;  // device pixels per logical pixel
    };
    enum class LayoutDirection { leftToRight, rightToLeft };

    std::string appVersion = "0";
    std::string appBuild = "0";
    bool isDebugBuild = false;
    std::string architecture;  // uname -m
    std::string modelName;
    std::string platform = "Linux";
    std::string operatingSystem = "Linux";
    std::array<int, 3> systemVersion{0, 0, 0};  // the kernel's major, minor, patch
    std::optional<Screen> mainScreen;
    std::optional<std::string> colorScheme;  // "Light" or "Dark"
    std::optional<LayoutDirection> layoutDirection;
    std::optional<bool> reduceMotion;
    std::optional<bool> invertColors;
    std::string localeIdentifier = "en_US_POSIX";  // language_REGION, as in "de_DE"
    std::vector<std::string> preferredLanguages;   // most preferred first, as in "de-DE"
};

// The facts at the moment of asking. Called on the main thread.
class PlatformFactsSource {
public:
    virtual ~PlatformFactsSource() = default;
    virtual PlatformFacts facts() = 0;
};

// Facts set by hand: the fake for tests, and a source for a program that knows its facts itself.
class FixedPlatformFactsSource final : public PlatformFactsSource {
public:
    explicit FixedPlatformFactsSource(PlatformFacts facts = {}) : facts_(std::move(facts)) {}
    PlatformFacts facts() override {
        std::lock_guard lock(mutex_);
        return facts_;
    }
    void set(PlatformFacts facts) {
        std::lock_guard lock(mutex_);
        facts_ = std::move(facts);
    }

private:
    std::mutex mutex_;
    PlatformFacts facts_;
};

}  // namespace clicktrove::analytics
