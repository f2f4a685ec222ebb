#pragma once

#include "platform/file_chooser.hpp"

#include <QString>

class QFileDialog;

namespace clicktrove::platform {

// File dialogs through QFileDialog, modal over the window that is active when the dialog opens. With native
// dialogs allowed, the desktop's own dialog (through its portal or platform theme) is used where there is one.
class QtFileChooser final : public FileChooser {
public:
    explicit QtFileChooser(bool allowNativeDialogs = true) : allowNativeDialogs_(allowNativeDialogs) {}

    std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) override;
    std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) override;

    // The name filter shown for a kind of file, e.g. "JSON (*.json)".
    static QString nameFilter(FileKind kind);
    static QString suffix(FileKind kind);

private:
    std::optional<std::filesystem::path> run(QFileDialog& dialog);

    bool allowNativeDialogs_;
};

}  // namespace clicktrove::platform
