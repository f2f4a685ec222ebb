#include "services/storage_manager.hpp"

#include "engine/model_json.hpp"
#include "platform/atomic_file.hpp"
#include "platform/file_user_defaults.hpp"
#include "platform/qt/qt_file_chooser.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "platform/unreadable_copy.hpp"
#include "platform/xdg_paths.hpp"
#include "services/history_csv.hpp"

#include <fstream>
#include <system_error>

namespace clicktrove {

namespace fs = std::filesystem;

namespace {

// The configuration export replaces the chosen file in place, as the user asked for that file.
void writePlainFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

StorageManager::StorageManager(fs::path appFolder, platform::UserDefaults& standardDefaults,
                               platform::MainQueue& mainQueue, platform::FileChooser& fileChooser,
                               const platform::Clock& clock)
    : appFolder_(std::move(appFolder)),
      defaults_(standardDefaults),
      mainQueue_(mainQueue),
      fileChooser_(fileChooser),
      clock_(clock) {
    std::error_code ec;
    if (!fs::exists(appFolder_, ec)) fs::create_directories(appFolder_, ec);
}

std::unique_ptr<StorageManager> StorageManager::makeStandard() {
    struct Services {
        std::shared_ptr<platform::UserDefaults> defaults = platform::FileUserDefaults::standard();
        platform::QtMainQueue queue;
        platform::QtFileChooser chooser;
    };
    auto services = std::make_shared<Services>();
    auto manager = std::make_unique<StorageManager>(platform::xdg::dataHome() / "Clicktrove", *services->defaults,
                                                    services->queue, services->chooser);
    manager->ownedServices_ = std::move(services);
    return manager;
}

StorageManager& StorageManager::shared() {
    // Never destroyed, so work still queued at exit, or a late caller during static destruction, never meets a
    // dead manager.
    static StorageManager* const instance = makeStandard().release();
    return *instance;
}

std::optional<Uuid> StorageManager::lastActivePresetId() const {
    const auto text = defaults_.string(lastActivePresetKey_);
    if (!text) return std::nullopt;
    return Uuid::parse(*text);
}

void StorageManager::setLastActivePresetId(const std::optional<Uuid>& id) {
    if (id) {
        defaults_.setValue(lastActivePresetKey_, id->text());
    } else {
        defaults_.removeValue(lastActivePresetKey_);
    }
}

bool StorageManager::savePresets(const std::vector<ClickPreset>& presets) {
    const auto text = toPrettyJsonText(presets);
    return text && platform::writeFileAtomically(appFolder_ / kPresetsFileName, *text);
}

bool StorageManager::saveHistory(const std::vector<HistoryRecord>& records) {
    const auto text = toCompactJsonText(records);
    return text && platform::writeFileAtomically(appFolder_ / kHistoryFileName, *text);
}

std::vector<ClickPreset> StorageManager::loadPresets() {
    return loadList<std::vector<ClickPreset>>(kPresetsFileName);
}

std::vector<HistoryRecord> StorageManager::loadHistory() {
    return loadList<std::vector<HistoryRecord>>(kHistoryFileName);
}

template <class List>
List StorageManager::loadList(const char* fileName) {
    const fs::path path = appFolder_ / fileName;
    std::error_code ec;
    if (!fs::exists(path, ec)) return {};
    std::string text;
    if (!platform::readWholeFile(path, text)) {
        platform::moveUnreadableAside(path, clock_.now());
        return {};
    }
    auto list = fromJsonText<List>(text);
    if (!list) {
        platform::moveUnreadableAside(path, clock_.now());
        return {};
    }
    return std::move(*list);
}

void StorageManager::exportConfig(const ClickConfig& config) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), config] {
        if (alive.expired()) return;
        const auto path = fileChooser_.chooseSaveFile({.title = "Export Click Configuration",
                                                       .proposedName = "click_config.json",
                                                       .kind = platform::FileKind::json});
        if (!path) return;
        const auto text = toPrettyJsonText(config);
        if (!text) return;
        writePlainFile(*path, *text);
    });
}

void StorageManager::importConfig(std::function<void(std::optional<ClickConfig>)> completion) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), completion = std::move(completion)] {
        if (alive.expired()) {
            if (completion) completion(std::nullopt);
            return;
        }
        std::optional<ClickConfig> config;
        const auto path =
            fileChooser_.chooseOpenFile({.title = "Import Click Configuration", .kind = platform::FileKind::json});
        std::string text;
        if (path && platform::readWholeFile(*path, text)) config = fromJsonText<ClickConfig>(text);
        if (completion) completion(std::move(config));
    });
}

void StorageManager::exportHistoryCSV(const std::vector<HistoryRecord>& records) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), records] {
        if (alive.expired()) return;
        const auto path = fileChooser_.chooseSaveFile({.title = "Export Click History to CSV",
                                                       .proposedName = "click_history.csv",
                                                       .kind = platform::FileKind::csv});
        if (!path) return;
        platform::writeFileAtomically(*path, HistoryCsv::text(records));
    });
}

}  // namespace clicktrove
