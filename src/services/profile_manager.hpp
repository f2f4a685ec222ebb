#pragma once

#include "engine/click_config.hpp"
#include "engine/click_preset.hpp"
#include "engine/uuid.hpp"
#include "platform/clock.hpp"
#include "services/storage_manager.hpp"

#include <QObject>
#include <set>
#include <string>
#include <vector>

namespace clicktrove {

// The user's saved presets, in insertion order. Every change publishes presetsChanged and then writes the whole
// list to the presets file: one change, one write. On a start with no presets (no file, an unreadable file, or
// every preset deleted) the three default presets are seeded. Main thread only.
class ProfileManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::vector<clicktrove::ClickPreset> presets READ presets WRITE setPresets NOTIFY presetsChanged)

public:
    // A presets file that could not be read (kept aside, or left alone so that nothing is saved over it) is
    // reported to onLoadProblem before the constructor returns.
    explicit ProfileManager(StorageManager& storage = StorageManager::shared(),
                            const platform::Clock& clock = platform::SystemClock::instance(),
                            const platform::FileProblemReport& onLoadProblem = {}, QObject* parent = nullptr);

    const std::vector<ClickPreset>& presets() const { return presets_; }
    // Whether the last change reached the presets file; the list in memory is kept either way.
    bool lastSaveSucceeded() const { return lastSaveSucceeded_; }
    // Stores and publishes the list, then saves it. Also the way to change one preset: edit a copy, store it.
    void setPresets(std::vector<ClickPreset> presets);

    // Appends a new preset with the name exactly as given (empty and duplicate names included).
    void addPreset(const std::string& name, const ClickConfig& config);
    // Inverts the favourite mark of the first preset with this id; an unknown id changes and writes nothing.
    void toggleFavorite(const Uuid& id);
    // Appends a copy named "<name> Copy"; the source need not be in the list any more.
    void duplicatePreset(const ClickPreset& preset);
    // Removes every preset with this id; the list is written even when none matched.
    void deletePreset(const Uuid& id);
    // Renames the first preset with this id (the name as given); an unknown id changes and writes nothing.
    void renamePreset(const Uuid& id, const std::string& name);
    // Removes the presets at these positions (positions past the end are ignored) and writes the list.
    void deletePresets(const std::set<std::size_t>& offsets);

    // "Gaming Speed Clicker" (favourite), "Office Automation", "Quality Testing Mode", each created at `clock`'s
    // current time.
    static std::vector<ClickPreset> defaultPresets(const platform::Clock& clock);

signals:
    void presetsChanged();

private:
    StorageManager& storage_;
    const platform::Clock& clock_;
    std::vector<ClickPreset> presets_;
    bool lastSaveSucceeded_ = true;
};

}  // namespace clicktrove
