#pragma once

#include "platform/file_chooser.hpp"

#include <deque>
#include <variant>
#include <vector>

namespace clicktrove::platform {

// A file chooser for tests: each dialog takes the next scripted answer (a path, or a cancel) and records
// what it was asked. A dialog with no answer left counts as cancelled.
class ScriptedFileChooser final : public FileChooser {
public:
    using Request = std::variant<SaveFileRequest, OpenFileRequest>;

    void answer(std::filesystem::path path);
    void cancel();

    std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) override;
    std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) override;

    const std::vector<Request>& requests() const { return requests_; }
    std::size_t pendingAnswers() const { return answers_.size(); }

private:
    std::optional<std::filesystem::path> next();

    std::deque<std::optional<std::filesystem::path>> answers_;
    std::vector<Request> requests_;
};

}  // namespace clicktrove::platform
