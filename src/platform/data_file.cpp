#include "platform/data_file.hpp"

#include "platform/atomic_file.hpp"
#include "platform/unreadable_copy.hpp"

#include <system_error>

namespace clicktrove::platform {

DataFile::DataFile(std::filesystem::path path) : path_(std::move(path)) {}

void DataFile::cleanOnce() {
    if (cleaned_) return;
    cleaned_ = true;
    removeStaleTemporaries(path_);
}

FileRead DataFile::read(std::size_t maxBytes) {
    cleanOnce();
    FileRead result = readRegularFile(path_, maxBytes);
    state_ = result.status == FileRead::Status::unreadable ? State::unreadable : State::writable;
    return result;
}

FileProblem DataFile::keepAside(std::chrono::system_clock::time_point when, std::string reason) {
    FileProblem problem;
    problem.file = path_;
    problem.reason = std::move(reason);
    const std::filesystem::path kept = unreadableCopyPath(path_, when);
    std::error_code ec;
    // rename() moves a symbolic link itself, never its target: what the link points at stays as it was.
    std::filesystem::rename(path_, kept, ec);
    if (!ec) {
        state_ = State::writable;
        problem.kind = FileProblem::Kind::keptAside;
        problem.keptAs = kept;
        return problem;
    }
    std::error_code statusError;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path_, statusError))) {
        // Gone meanwhile: nothing is left to protect.
        state_ = State::writable;
        problem.kind = FileProblem::Kind::notRead;
        return problem;
    }
    state_ = State::held;
    problem.kind = FileProblem::Kind::notKept;
    problem.reason += "; moving it aside failed: " + ec.message();
    return problem;
}

bool DataFile::replace(std::string_view contents, std::string* reason) {
    if (state_ == State::unknown) read();
    if (state_ != State::writable) {
        if (reason) *reason = "it holds data that could not be read and could not be kept aside";
        return false;
    }
    std::error_code code;
    if (!writeFileAtomically(path_, contents, nullptr, &code)) {
        if (reason) *reason = code.message();
        return false;
    }
    return true;
}

}  // namespace clicktrove::platform
