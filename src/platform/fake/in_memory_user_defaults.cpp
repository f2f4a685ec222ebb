#include "platform/fake/in_memory_user_defaults.hpp"

namespace clicktrove::platform {

std::optional<nlohmann::json> InMemoryUserDefaults::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool InMemoryUserDefaults::setValue(const std::string& key, const nlohmann::json& value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    ++writes_[key];
    return finishWrite();
}

bool InMemoryUserDefaults::removeValue(const std::string& key) {
    std::lock_guard lock(mutex_);
    values_.erase(key);
    ++writes_[key];
    return finishWrite();
}

bool InMemoryUserDefaults::finishWrite() {
    if (!failure_) {
        writeProblem_.reset();
        return true;
    }
    writeProblem_ = FileProblem{FileProblem::Kind::notSaved, "in-memory", {}, *failure_};
    return false;
}

std::optional<FileProblem> InMemoryUserDefaults::writeProblem() const {
    std::lock_guard lock(mutex_);
    return writeProblem_;
}

void InMemoryUserDefaults::failWrites(std::optional<std::string> reason) {
    std::lock_guard lock(mutex_);
    failure_ = std::move(reason);
}

int InMemoryUserDefaults::writeCount(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = writes_.find(key);
    return it == writes_.end() ? 0 : it->second;
}

std::map<std::string, nlohmann::json> InMemoryUserDefaults::snapshot() const {
    std::lock_guard lock(mutex_);
    return values_;
}

}  // namespace clicktrove::platform
