#include "platform/file_user_defaults.hpp"

#include "platform/atomic_file.hpp"
#include "platform/unreadable_copy.hpp"
#include "platform/xdg_paths.hpp"

#include <chrono>
#include <cstdio>
#include <system_error>

namespace clicktrove::platform {

namespace {
// A suite name is a file name; keep it inside the folder whatever the caller passes.
std::string fileNameFor(std::string name) {
    if (name.empty()) name = "_";
    for (char& c : name) {
        if (c == '/' || c == '\0') c = '_';
    }
    if (name[0] == '.') name.insert(0, "_");
    return name + ".json";
}

void warn(const std::string& message) {
    std::fprintf(stderr, "Clicktrove: %s\n", message.c_str());
}
}  // namespace

FileUserDefaults::FileUserDefaults(std::string suiteName, std::filesystem::path folder)
    : path_(std::move(folder) / fileNameFor(std::move(suiteName))) {}

std::filesystem::path FileUserDefaults::defaultFolder() {
    return xdg::configHome() / "Clicktrove";
}

std::shared_ptr<UserDefaults> FileUserDefaults::standard() {
    return suite(standardSuiteName);
}

std::shared_ptr<UserDefaults> FileUserDefaults::suite(const std::string& suiteName) {
    static std::mutex registryMutex;
    static std::map<std::filesystem::path, std::weak_ptr<FileUserDefaults>> registry;
    auto fresh = std::make_shared<FileUserDefaults>(suiteName, defaultFolder());
    std::lock_guard lock(registryMutex);
    auto& slot = registry[fresh->path()];
    if (auto existing = slot.lock()) return existing;
    slot = fresh;
    return fresh;
}

std::optional<nlohmann::json> FileUserDefaults::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    loadLocked();
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return *it;
}

void FileUserDefaults::setValue(const std::string& key, const nlohmann::json& value) {
    std::lock_guard lock(mutex_);
    loadLocked();
    values_[key] = value;
    writeLocked();
}

void FileUserDefaults::removeValue(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadLocked();
    if (values_.erase(key) == 0) return;
    writeLocked();
}

void FileUserDefaults::loadLocked() const {
    if (loaded_) return;
    loaded_ = true;
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) return;
    std::string text;
    if (!readWholeFile(path_, text)) {
        unreadable_ = true;
        return;
    }
    auto parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!parsed.is_object()) {
        unreadable_ = true;
        warn("the settings file " + path_.string() + " is unreadable; it is kept aside at the next change");
        return;
    }
    values_ = std::move(parsed);
}

void FileUserDefaults::writeLocked() {
    std::error_code ec;
    std::filesystem::create_directories(path_.parent_path(), ec);
    if (unreadable_) {
        std::string error;
        if (moveUnreadableAside(path_, std::chrono::system_clock::now(), &error).empty()) {
            // Keeping the user's old file matters more than saving this change.
            warn(error + "; not saving " + path_.string());
            return;
        }
        unreadable_ = false;
    }
    std::string error;
    // Invalid UTF-8 in a value must not throw out of a setter; replace it instead.
    const std::string text = values_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!writeFileAtomically(path_, text, &error)) warn(error);
}

}  // namespace clicktrove::platform
