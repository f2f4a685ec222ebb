#include "platform/fake/scripted_file_chooser.hpp"

namespace clicktrove::platform {

void ScriptedFileChooser::answer(std::filesystem::path path) {
    answers_.emplace_back(std::move(path));
}

void ScriptedFileChooser::cancel() {
    answers_.emplace_back(std::nullopt);
}

std::optional<std::filesystem::path> ScriptedFileChooser::chooseSaveFile(const SaveFileRequest& request) {
    requests_.emplace_back(request);
    return next();
}

std::optional<std::filesystem::path> ScriptedFileChooser::chooseOpenFile(const OpenFileRequest& request) {
    requests_.emplace_back(request);
    return next();
}

std::optional<std::filesystem::path> ScriptedFileChooser::next() {
    if (answers_.empty()) return std::nullopt;
    auto result = std::move(answers_.front());
    answers_.pop_front();
    return result;
}

}  // namespace clicktrove::platform
