#pragma once

#include "platform/file_problem.hpp"
#include "platform/file_read.hpp"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// One file of the user's data, read and replaced so that nothing the program cannot read is ever destroyed:
//
//   auto read = file.read();                  // never blocks, bounded, regular files only
//   if (!usable(read)) problem = file.keepAside(now, "not valid JSON");
//   ...
//   file.replace(newText);                    // refused while an unreadable file could not be kept aside
//
// A file that cannot be read or used is moved aside as "<name>.unreadable-<UTC time>" before anything new is
// written in its place; when even that fails (a folder that cannot be written), the file is left alone and
// every replace() is refused, so the program works on in memory. A symbolic link in the file's place is
// followed for writing only when what it points at was read fine (or is missing); an unreadable link is moved
// aside itself, leaving its target as it was. The first use removes the temporary files of a save that was
// killed half-way. Not thread safe: its owner serialises the calls.
class DataFile {
public:
    explicit DataFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    // Reads the whole file (see readRegularFile). An unreadable result must be followed by keepAside() before
    // the file can be replaced.
    FileRead read(std::size_t maxBytes = kMaxDataFileBytes);
    // The last read's file cannot be used: moves it aside. Gives keptAside with the copy's path, or notKept
    // when it could not be moved; then replace() refuses until a later read finds the file fine or gone.
    FileProblem keepAside(std::chrono::system_clock::time_point when, std::string reason);
    // Replaces the file atomically (see writeFileAtomically). Reads it first when it was never read, and
    // refuses (false) while it holds something unreadable that was not kept aside.
    bool replace(std::string_view contents, std::string* reason = nullptr);
    // Whether replace() refuses.
    bool held() const { return state_ == State::held; }

private:
    enum class State { unknown, writable, unreadable, held };
    void cleanOnce();

    std::filesystem::path path_;
    State state_ = State::unknown;
    bool cleaned_ = false;
};

}  // namespace clicktrove::platform
