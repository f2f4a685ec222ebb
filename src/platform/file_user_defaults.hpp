#pragma once

#include "platform/user_defaults.hpp"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace clicktrove::platform {

// A suite of user defaults kept as one JSON object in "<folder>/<suite name>.json" (by default
// $XDG_CONFIG_HOME/Clicktrove). The file is read once, when the suite is first used, and rewritten whole and
// atomically after every change, so a crash leaves either the old or the new suite, never a torn one.
// A file that is not a JSON object is moved aside as "<name>.json.unreadable-<UTC time>" before the first
// write would replace it, so the user's values are never destroyed silently.
class FileUserDefaults final : public UserDefaults {
public:
    static constexpr const char* standardSuiteName = "Clicktrove";

    FileUserDefaults(std::string suiteName, std::filesystem::path folder);

    // The program's own suite and a named private one, both under $XDG_CONFIG_HOME/Clicktrove as it is at the
    // call. Every caller in the process that asks for the same file while another holds it shares one instance,
    // so writes from different places never overwrite each other.
    static std::shared_ptr<UserDefaults> standard();
    static std::shared_ptr<UserDefaults> suite(const std::string& suiteName);
    static std::filesystem::path defaultFolder();

    std::optional<nlohmann::json> value(const std::string& key) const override;
    void setValue(const std::string& key, const nlohmann::json& value) override;
    void removeValue(const std::string& key) override;

    const std::filesystem::path& path() const { return path_; }

private:
    void loadLocked() const;
    void writeLocked();

    std::filesystem::path path_;
    mutable std::mutex mutex_;
    mutable bool loaded_ = false;
    mutable bool unreadable_ = false;
    mutable nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace clicktrove::platform
