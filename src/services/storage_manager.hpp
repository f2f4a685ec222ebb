#pragma once

#include "engine/click_config.hpp"
#include "engine/click_preset.hpp"
#include "engine/history_record.hpp"
#include "engine/uuid.hpp"
#include "platform/clock.hpp"
#include "platform/data_file.hpp"
#include "platform/file_chooser.hpp"
#include "platform/file_problem.hpp"
#include "platform/main_queue.hpp"
#include "platform/user_defaults.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove {

// The single owner of the program's files: the folder under the user's data home, the presets and history
// files, the remembered last active preset, and the dialogs that export and import a configuration and export
// the history as CSV. Main thread only. A file that is missing or cannot be read loads as an empty list, a failed
// save leaves the previous file as it was, a cancelled or failed export writes nothing further and a cancelled
// or failed import hands the completion no value; what the user has to know of (a file kept aside, an import or
// export that failed) is also handed to the caller as a FileProblem.
class StorageManager {
public:
    static constexpr const char* kPresetsFileName = "presets.json";
    static constexpr const char* kHistoryFileName = "history.json";

    // The folder is created (with its parents) here when it does not exist; a failure is ignored and later
    // writes then fail in their turn. The references must outlive the manager.
    StorageManager(std::filesystem::path appFolder, platform::UserDefaults& standardDefaults,
                   platform::MainQueue& mainQueue, platform::FileChooser& fileChooser,
                   const platform::Clock& clock = platform::SystemClock::instance());
    StorageManager(const StorageManager&) = delete;
    StorageManager& operator=(const StorageManager&) = delete;

    // The program's storage as the shared instance has it: the folder "Clicktrove" in $XDG_DATA_HOME as it is
    // at the call, the standard user defaults, the Qt main queue and the Qt file dialogs, all owned by the
    // manager. Needs the QApplication; main thread only.
    static std::unique_ptr<StorageManager> makeStandard();
    // The process-wide instance, made by makeStandard() on first use and never destroyed.
    static StorageManager& shared();

    const std::filesystem::path& appFolder() const { return appFolder_; }
    const std::string& lastActivePresetKey() const { return lastActivePresetKey_; }

    // The identifier stored under lastActivePresetKey(); nothing when none is stored or it is not a UUID text.
    std::optional<Uuid> lastActivePresetId() const;
    // Stores the upper-case UUID text, or removes the key for no value.
    void setLastActivePresetId(const std::optional<Uuid>& id);

    // The data files are replaced atomically, so a crash or a full disk mid-save keeps the previous file.
    // Each returns whether the file now holds the list (false when it cannot be encoded or written, or while an
    // unreadable file that could not be kept aside stands in its place).
    bool savePresets(const std::vector<ClickPreset>& presets);
    // False when the file was not written; problem then says why, unless the file is held (it could not be read
    // nor kept aside at load, which was told then).
    bool saveHistory(const std::vector<HistoryRecord>& records,
                     std::optional<platform::FileProblem>* problem = nullptr);
    // A file that exists but cannot be read or decoded (see platform::DataFile: only regular files of at most
    // 64 MiB, JSON nested at most 256 levels deep) is moved aside first, as "<name>.unreadable-<UTC time>"
    // beside it, because the callers replace it with defaults or an empty list straight away. When that
    // happens, or the file can be neither read nor moved (and so is never written over), `problem` says so.
    std::vector<ClickPreset> loadPresets(std::optional<platform::FileProblem>* problem = nullptr);
    std::vector<HistoryRecord> loadHistory(std::optional<platform::FileProblem>* problem = nullptr);

    // These return at once; the dialog opens on a later turn of the main queue. The arguments are copied now.
    // A file that could not be written, read or decoded is reported to onFailure (on the main thread, after the
    // dialog); a cancelled dialog reports nothing.
    void exportConfig(const ClickConfig& config, platform::FileProblemReport onFailure = {});
    // The completion runs exactly once, on the main thread, after the dialog has closed (before onFailure).
    void importConfig(std::function<void(std::optional<ClickConfig>)> completion,
                      platform::FileProblemReport onFailure = {});
    void exportHistoryCSV(const std::vector<HistoryRecord>& records, platform::FileProblemReport onFailure = {});

private:
    template <class List>
    List loadList(platform::DataFile& file, std::optional<platform::FileProblem>* problem);

    // What makeStandard() built for the references below; declared first so that it goes last.
    std::shared_ptr<void> ownedServices_;
    std::filesystem::path appFolder_;
    std::string lastActivePresetKey_ = "Clicktrove.lastActivePresetId";
    platform::UserDefaults& defaults_;
    platform::MainQueue& mainQueue_;
    platform::FileChooser& fileChooser_;
    const platform::Clock& clock_;
    platform::DataFile presetsFile_;
    platform::DataFile historyFile_;
    // Work already posted to the main queue checks this first, so a manager destroyed in between is not touched.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace clicktrove
