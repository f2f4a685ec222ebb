#pragma once

#include "platform/fake/fake_clock.hpp"
#include "platform/fake/in_memory_user_defaults.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/fake/scripted_file_chooser.hpp"
#include "services/storage_manager.hpp"
#include "support/temp_home.hpp"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace clicktrove::testing {

// A storage manager over a temporary data home, with scripted dialogs, a manual main queue and a fake clock.
class StorageFixture : public TempHomeTest {
protected:
    std::filesystem::path appFolder() const { return tempHome.dataHome() / "Clicktrove"; }
    std::filesystem::path presetsFile() const { return appFolder() / "presets.json"; }
    std::filesystem::path historyFile() const { return appFolder() / "history.json"; }

    // A fresh manager, as at a new start of the program.
    StorageManager& storage() {
        if (!storage_) storage_ = std::make_unique<StorageManager>(appFolder(), defaults, queue, chooser, clock);
        return *storage_;
    }
    void restart() { storage_.reset(); }

    // Names of the files in the program folder, sorted.
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(appFolder(), ec)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    platform::FakeClock clock;
    platform::ManualMainQueue queue{clock};
    platform::ScriptedFileChooser chooser;
    platform::InMemoryUserDefaults defaults;

private:
    std::unique_ptr<StorageManager> storage_;
};

}  // namespace clicktrove::testing
