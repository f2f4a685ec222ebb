#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace clicktrove::crash {

// What SentrySDK::start is configured with. Only dsn, debug and tracesSampleRate are the program's to set; the
// rest have the defaults of this build and exist for tests.
struct SentryOptions {
    // The project's address at the crash-reporting service; empty (or malformed) sends nothing, and crash
    // reports are only kept locally.
    std::string dsn;
    // Diagnostic output of the client on the standard error.
    bool debug = false;
    // The share of performance traces sent (0 to 1); none sends no traces.
    std::optional<double> tracesSampleRate;
    // "clicktrove@<version>+<build number>", the build number and the version, by default.
    std::string releaseName;
    std::string dist;
    std::string version;
    // $XDG_STATE_HOME/Clicktrove/crashes by default.
    std::filesystem::path reportsDirectory;
};

}  // namespace clicktrove::crash
