#pragma once

#include "platform/data_file.hpp"
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
// A file that cannot be read as a JSON object (see DataFile: not a regular file, over 64 MiB, nested deeper
// than 256 levels, not JSON) is moved aside at that first read as "<name>.json.unreadable-<UTC time>", and the
// suite starts empty; when it cannot be moved, the suite works in memory only and never writes over it.
// The file holds one member per line, each value on its one line, so writing it costs no more than its size
// however deeply a value nests.
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
    bool setValue(const std::string& key, const nlohmann::json& value) override;
    bool removeValue(const std::string& key) override;
    std::optional<FileProblem> readProblem() const override;
    std::optional<FileProblem> writeProblem() const override;

    const std::filesystem::path& path() const { return file_.path(); }

    // The suite's values from the file's text; nothing when it is not a JSON object within the limits.
    static std::optional<nlohmann::json> decode(std::string_view text, std::string* error = nullptr);
    // The file's text for these values.
    static std::string encode(const nlohmann::json& values);

private:
    void loadLocked() const;
    bool writeLocked();

    mutable std::mutex mutex_;
    mutable DataFile file_;
    mutable bool loaded_ = false;
    mutable nlohmann::json values_ = nlohmann::json::object();
    mutable std::optional<FileProblem> readProblem_;
    std::optional<FileProblem> writeProblem_;
};

}  // namespace clicktrove::platform
