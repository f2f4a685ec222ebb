#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

namespace clicktrove::platform {

// The most any file the program reads may hold: far above what settings, presets, history or a full analytics
// cache (10,000 signals) ever need, and small enough that a file of garbage cannot exhaust memory.
inline constexpr std::size_t kMaxDataFileBytes = std::size_t{64} * 1024 * 1024;

struct FileRead {
    enum class Status {
        read,        // contents holds the whole file
        missing,     // nothing is there (a dangling link included): nothing to lose by writing a new file
        unreadable,  // something is there that cannot be read as a file of at most the limit
    };
    Status status = Status::missing;
    std::string contents;
    // For unreadable: why, short enough for a notice ("Permission denied", "not a regular file").
    std::string reason;
    std::error_code code;

    bool ok() const { return status == Status::read; }
    // "<path>: <reason>", for logs.
    std::string message(const std::filesystem::path& path) const;
};

// Reads a whole regular file of at most maxBytes. Opening never waits (a FIFO in the file's place would block
// a plain open until a writer came), and anything but a regular file - a FIFO, a device such as /dev/zero, a
// socket, a folder - is refused before a byte is read; a file that is or grows larger than maxBytes is refused
// without reading more than one byte past the limit.
FileRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes = kMaxDataFileBytes);

}  // namespace clicktrove::platform
