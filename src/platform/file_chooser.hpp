#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace clicktrove::platform {

// The kinds of file the program moves in and out; a dialog offers only files of the requested kind.
enum class FileKind { json, csv };

struct SaveFileRequest {
    std::string title;
    std::string proposedName;
    FileKind kind = FileKind::json;
};

struct OpenFileRequest {
    std::string title;
    FileKind kind = FileKind::json;
};

// Modal file dialogs. Both calls block until the user closes the dialog and give no path when the user
// cancels. Main thread only; callers that must return at once post the call onto the main queue themselves.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // Asks where to save one file; an existing file at the chosen path is to be replaced.
    virtual std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) = 0;
    // Asks for one existing file; directories and multiple selections are not offered.
    virtual std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) = 0;
};

}  // namespace clicktrove::platform
