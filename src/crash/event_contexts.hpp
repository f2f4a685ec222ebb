#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace clicktrove::crash {

// The contexts every event and transaction carries, so that a maintainer sees where and what ran.
struct EventContexts {
    // uname's system, kernel release and machine.
    std::string system;
    std::string kernel;
    std::string machine;
    // From os-release; empty when it did not say.
    std::string distributionName;
    std::string distributionVersion;
    // The program's own version and build.
    std::string appVersion;
    std::string appBuild;

    // "os" names the distribution and its version where os-release gave them (the system otherwise) beside the
    // kernel, "device" the machine, "app" the version and build; a context with nothing to say is left out.
    nlohmann::json json() const;
};

}  // namespace clicktrove::crash
