#include "services/profile_manager.hpp"

#include <algorithm>

namespace clicktrove {

ProfileManager::ProfileManager(StorageManager& storage, const platform::Clock& clock,
                               const platform::FileProblemReport& onLoadProblem, QObject* parent)
    : QObject(parent), storage_(storage), clock_(clock) {
    // Written back at once: a missing file is created and an undecodable one (already moved aside by the
    // storage) replaced.
    std::optional<platform::FileProblem> problem;
    setPresets(storage_.loadPresets(&problem));
    if (presets_.empty()) setPresets(defaultPresets(clock_));
    if (problem && onLoadProblem) onLoadProblem(*problem);
}

void ProfileManager::setPresets(std::vector<ClickPreset> presets) {
    presets_ = std::move(presets);
    emit presetsChanged();
    lastSaveSucceeded_ = storage_.savePresets(presets_);
}

void ProfileManager::addPreset(const std::string& name, const ClickConfig& config) {
    auto list = presets_;
    list.emplace_back(name, config, false, clock_.now());
    setPresets(std::move(list));
}

void ProfileManager::toggleFavorite(const Uuid& id) {
    const auto it = std::find_if(presets_.begin(), presets_.end(), [&](const ClickPreset& p) { return p.id == id; });
    if (it == presets_.end()) return;
    auto list = presets_;
    auto& preset = list[static_cast<std::size_t>(it - presets_.begin())];
    preset.isFavorite = !preset.isFavorite;
    setPresets(std::move(list));
}

void ProfileManager::duplicatePreset(const ClickPreset& preset) {
    auto list = presets_;
    list.emplace_back(preset.name + " Copy", preset.config, false, clock_.now());
    setPresets(std::move(list));
}

void ProfileManager::deletePreset(const Uuid& id) {
    auto list = presets_;
    std::erase_if(list, [&](const ClickPreset& p) { return p.id == id; });
    setPresets(std::move(list));
}

void ProfileManager::renamePreset(const Uuid& id, const std::string& name) {
    const auto it = std::find_if(presets_.begin(), presets_.end(), [&](const ClickPreset& p) { return p.id == id; });
    if (it == presets_.end()) return;
    auto list = presets_;
    list[static_cast<std::size_t>(it - presets_.begin())].name = name;
    setPresets(std::move(list));
}

void ProfileManager::deletePresets(const std::set<std::size_t>& offsets) {
    std::vector<ClickPreset> list;
    list.reserve(presets_.size());
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        if (!offsets.contains(i)) list.push_back(presets_[i]);
    }
    setPresets(std::move(list));
}

std::vector<ClickPreset> ProfileManager::defaultPresets(const platform::Clock& clock) {
    std::vector<ClickPreset> presets;

    // intervalSeconds keeps its default of 1, so this one clicks every 1.05 s.
    ClickConfig gaming(clock.now());
    gaming.clickType = ClickType::left;
    gaming.intervalMilliseconds = 50;
    gaming.randomizeInterval = true;
    gaming.intervalRandomRangeMs = 10;
    presets.emplace_back("Gaming Speed Clicker", gaming, true, clock.now());

    ClickConfig office(clock.now());
    office.clickType = ClickType::left;
    office.intervalSeconds = 2;
    presets.emplace_back("Office Automation", office, false, clock.now());

    ClickConfig testing(clock.now());
    testing.clickType = ClickType::doubleClick;
    testing.intervalSeconds = 5;
    presets.emplace_back("Quality Testing Mode", testing, false, clock.now());

    return presets;
}

}  // namespace clicktrove
