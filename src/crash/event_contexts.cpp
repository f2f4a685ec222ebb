#include "crash/event_contexts.hpp"

namespace clicktrove::crash {

nlohmann::json EventContexts::json() const {
    nlohmann::json contexts = nlohmann::json::object();
    const std::string& osName = distributionName.empty() ? system : distributionName;
    if (!osName.empty()) {
        nlohmann::json os{{"name", osName}};
        if (!distributionName.empty() && !distributionVersion.empty()) os["version"] = distributionVersion;
        if (!kernel.empty()) os["kernel_version"] = kernel;
        contexts["os"] = std::move(os);
    }
    if (!machine.empty()) contexts["device"] = {{"arch", machine}};
    nlohmann::json app = nlohmann::json::object();
    if (!appVersion.empty()) app["app_version"] = appVersion;
    if (!appBuild.empty()) app["app_build"] = appBuild;
    if (!app.empty()) contexts["app"] = std::move(app);
    return contexts;
}

}  // namespace clicktrove::crash
