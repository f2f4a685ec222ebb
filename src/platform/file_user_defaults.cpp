#include "platform/file_user_defaults.hpp"

#include "platform/bounded_json.hpp"
#include "platform/xdg_paths.hpp"

#include <chrono>
#include <cstdio>

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

std::string compact(const nlohmann::json& value) {
    // Invalid UTF-8 in a value must not throw out of a setter; replace it instead.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
}  // namespace

FileUserDefaults::FileUserDefaults(std::string suiteName, std::filesystem::path folder)
    : file_(std::move(folder) / fileNameFor(std::move(suiteName))) {}

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

std::optional<nlohmann::json> FileUserDefaults::decode(std::string_view text, std::string* error) {
    auto parsed = parseBoundedJson(text, error);
    if (!parsed) return std::nullopt;
    if (!parsed->is_object()) {
        if (error) *error = "not a JSON object";
        return std::nullopt;
    }
    return parsed;
}

std::string FileUserDefaults::encode(const nlohmann::json& values) {
    if (values.empty()) return "{}\n";
    // One member per line keeps the file readable; indenting nested values as well would make the text grow
    // with the square of their depth.
    std::string text = "{";
    const char* separator = "\n  ";
    for (const auto& [key, value] : values.items()) {
        text.append(separator).append(compact(nlohmann::json(key))).append(": ").append(compact(value));
        separator = ",\n  ";
    }
    return text + "\n}\n";
}

std::optional<nlohmann::json> FileUserDefaults::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    loadLocked();
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return *it;
}

bool FileUserDefaults::setValue(const std::string& key, const nlohmann::json& value) {
    std::lock_guard lock(mutex_);
    loadLocked();
    values_[key] = value;
    return writeLocked();
}

bool FileUserDefaults::removeValue(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadLocked();
    if (values_.erase(key) == 0) return true;
    return writeLocked();
}

std::optional<FileProblem> FileUserDefaults::readProblem() const {
    std::lock_guard lock(mutex_);
    loadLocked();
    return readProblem_;
}

std::optional<FileProblem> FileUserDefaults::writeProblem() const {
    std::lock_guard lock(mutex_);
    return writeProblem_;
}

void FileUserDefaults::loadLocked() const {
    if (loaded_) return;
    loaded_ = true;
    const FileRead read = file_.read();
    if (read.status == FileRead::Status::missing) return;
    std::string reason = read.reason;
    if (read.ok()) {
        if (auto parsed = decode(read.contents, &reason)) {
            values_ = std::move(*parsed);
            return;
        }
    }
    // Moved aside at once, so that it is reported once and the next start does not meet it again.
    readProblem_ = file_.keepAside(std::chrono::system_clock::now(), reason);
    if (readProblem_->kind == FileProblem::Kind::keptAside) {
        warn("the settings file " + path().string() + " is unreadable (" + reason + "); it was kept as " +
             readProblem_->keptAs.string());
    } else if (readProblem_->kind == FileProblem::Kind::notKept) {
        warn("the settings file " + path().string() + " is unreadable (" + readProblem_->reason +
             "); changes are not saved");
    } else {
        readProblem_.reset();
    }
}

bool FileUserDefaults::writeLocked() {
    std::error_code ec;
    std::filesystem::create_directories(path().parent_path(), ec);
    std::string reason;
    if (file_.replace(encode(values_), &reason)) {
        writeProblem_.reset();
        return true;
    }
    const bool first = !writeProblem_;
    writeProblem_ = FileProblem{FileProblem::Kind::notSaved, path(), {}, reason};
    // Once per run of failures, not at every change (a slider drag saves many times); a file held since the
    // first read was already warned about, with "changes are not saved".
    if (first && !file_.held()) warn("cannot save " + path().string() + ": " + reason);
    return false;
}

}  // namespace clicktrove::platform
