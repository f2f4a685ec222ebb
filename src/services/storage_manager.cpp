#include "services/storage_manager.hpp"

#include "engine/model_json.hpp"
#include "platform/atomic_file.hpp"

#include <ctime>
#include <fstream>
#include <system_error>

#include "services/history_csv.hpp"

namespace clicktrove {

namespace fs = std::filesystem;

namespace {

// "20261210T083000Z": sorts by time and holds no character that file managers or shells treat specially.
std::string utcStamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

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

void StorageManager::savePresets(const std::vector<ClickPreset>& presets) {
    const auto text = toPrettyJsonText(presets);
    if (!text) return;
    platform::writeFileAtomically(appFolder_ / kPresetsFileName, *text);
}

void StorageManager::saveHistory(const std::vector<HistoryRecord>& records) {
    const auto text = toCompactJsonText(records);
    if (!text) return;
    platform::writeFileAtomically(appFolder_ / kHistoryFileName, *text);
}

std::vector<ClickPreset> StorageManager::loadPresets() { return loadList<std::vector<ClickPreset>>(kPresetsFileName); }

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
        moveAside(path);
        return {};
    }
    auto list = fromJsonText<List>(text);
    if (!list) {
        moveAside(path);
        return {};
    }
    return std::move(*list);
}

void StorageManager::moveAside(const fs::path& path) {
    const std::string base = path.filename().string() + ".unreadable-" + utcStamp(clock_.now());
    fs::path target = path.parent_path() / base;
    std::error_code ec;
    // Two bad starts within one second must not overwrite the first copy.
    for (int n = 2; fs::exists(target, ec); ++n) target = path.parent_path() / (base + "-" + std::to_string(n));
    fs::rename(path, target, ec);
}

void StorageManager::exportConfig(const ClickConfig& config) {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_), config] {
        if (alive.expired()) return;
        const auto path = fileChooser_.chooseSaveFile(
            {.title = "Export Click Configuration", .proposedName = "click_config.json", .kind = platform::FileKind::json});
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
        const auto path = fileChooser_.chooseOpenFile(
            {.title = "Import Click Configuration", .kind = platform::FileKind::json});
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
