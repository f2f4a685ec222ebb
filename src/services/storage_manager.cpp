#include "services/storage_manager.hpp"

#include "engine/model_json.hpp"
#include "platform/atomic_file.hpp"
#include "platform/file_in_place_write.hpp"
#include "platform/file_user_defaults.hpp"
#include "platform/qt/qt_file_chooser.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "platform/xdg_paths.hpp"
#include "services/history_csv.hpp"

#include <system_error>

namespace clicktrove {

namespace fs = std::filesystem;
using platform::FileProblem;

namespace {

void report(const platform::FileProblemReport& onFailure, FileProblem::Kind kind, const fs::path& file,
            std::string reason) {
    if (onFailure) onFailure(FileProblem{kind, file, {}, std::move(reason)});
}

}  // namespace

StorageManager::StorageManager(fs::path appFolder, platform::UserDefaults& standardDefaults,
                               platform::MainQueue& mainQueue, platform::FileChooser& fileChooser,
                               const platform::Clock& clock)
    : appFolder_(std::move(appFolder)),
      defaults_(standardDefaults),
      mainQueue_(mainQueue),
      fileChooser_(fileChooser),
      clock_(clock),
      presetsFile_(appFolder_ / kPresetsFileName),
      historyFile_(appFolder_ / kHistoryFileName) {
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
    return text && presetsFile_.replace(*text);
}

bool StorageManager::saveHistory(const std::vector<HistoryRecord>& records, std::optional<FileProblem>* problem) {
    if (problem) problem->reset();
    std::string reason;
    const auto text = toCompactJsonText(records, &reason);
    if (text && historyFile_.replace(*text, &reason)) return true;
    if (problem && !historyFile_.held()) {
        *problem = FileProblem{FileProblem::Kind::notSaved, historyFile_.path(), {}, reason};
    }
    return false;
}

std::vector<ClickPreset> StorageManager::loadPresets(std::optional<FileProblem>* problem) {
    return loadList<std::vector<ClickPreset>>(presetsFile_, problem);
}

std::vector<HistoryRecord> StorageManager::loadHistory(std::optional<FileProblem>* problem) {
    return loadList<std::vector<HistoryRecord>>(historyFile_, problem);
}

template <class List>
List StorageManager::loadList(platform::DataFile& file, std::optional<FileProblem>* problem) {
    if (problem) problem->reset();
    const auto read = file.read();
    if (read.status == platform::FileRead::Status::missing) return {};
    std::string reason = read.reason;
    if (read.ok()) {
        if (auto list = fromJsonText<List>(read.contents, &reason)) return std::move(*list);
    }
    auto kept = file.keepAside(clock_.now(), std::move(reason));
    if (problem) *problem = std::move(kept);
    return {};
}

void StorageManager::exportConfig(const ClickConfig& config, platform::FileProblemReport onFailure) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), config, onFailure = std::move(onFailure)] {
        if (alive.expired()) return;
        const auto path = fileChooser_.chooseSaveFile({.title = "Export Click Configuration",
                                                       .proposedName = "click_config.json",
                                                       .kind = platform::FileKind::json});
        if (!path) return;
        std::string reason;
        const auto text = toPrettyJsonText(config, &reason);
        // The user asked for that very file, so it is replaced in place.
        if (text && platform::writeFileInPlace(*path, *text, &reason)) return;
        report(onFailure, FileProblem::Kind::notSaved, *path, reason);
    });
}

void StorageManager::importConfig(std::function<void(std::optional<ClickConfig>)> completion,
                                  platform::FileProblemReport onFailure) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), completion = std::move(completion),
                     onFailure = std::move(onFailure)] {
        if (alive.expired()) {
            if (completion) completion(std::nullopt);
            return;
        }
        const auto path =
            fileChooser_.chooseOpenFile({.title = "Import Click Configuration", .kind = platform::FileKind::json});
        if (!path) {
            if (completion) completion(std::nullopt);
            return;
        }
        std::optional<ClickConfig> config;
        const auto read = platform::readRegularFile(*path);
        std::string reason = read.status == platform::FileRead::Status::missing ? "the file is gone" : read.reason;
        if (read.ok()) {
            config = fromJsonText<ClickConfig>(read.contents);
            if (!config) reason = "not a click configuration";
        }
        const bool failed = !config;
        if (completion) completion(std::move(config));
        if (failed) report(onFailure, FileProblem::Kind::notRead, *path, reason);
    });
}

void StorageManager::exportHistoryCSV(const std::vector<HistoryRecord>& records,
                                      platform::FileProblemReport onFailure) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), records, onFailure = std::move(onFailure)] {
        if (alive.expired()) return;
        const auto path = fileChooser_.chooseSaveFile({.title = "Export Click History to CSV",
                                                       .proposedName = "click_history.csv",
                                                       .kind = platform::FileKind::csv});
        if (!path) return;
        std::string error;
        std::error_code code;
        if (platform::writeFileAtomically(*path, HistoryCsv::text(records), &error, &code)) return;
        report(onFailure, FileProblem::Kind::notSaved, *path, code.message());
    });
}

}  // namespace clicktrove
