#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace clicktrove::testing {

// Things a user's data file can turn out to be, for every reader of such files: each must give its outcome
// without waiting, reading without end or running out of stack, and never destroy what stood there.
struct HostileFile {
    enum class Outcome {
        keptAside,     // reported unreadable and moved aside whole; a fresh file takes its place
        startsAfresh,  // nothing to read: no report, and the fresh file is written where the link points
        leftAlone,     // reported unreadable but cannot be moved: left exactly as it was, nothing written
    };
    const char* name;
    // Puts it at `file`, whose folder exists; other files it needs go to `scratch`.
    std::function<void(const std::filesystem::path& file, const std::filesystem::path& scratch)> plant;
    Outcome outcome;
    // The file's folder is read-only while the reader works (see ScopedUnprivilegedFileAccess).
    bool readOnlyFolder = false;
};

// The table: a FIFO, a link to /dev/zero, a folder, JSON nested 100,000 levels deep, a file over 64 MiB,
// truncated JSON, a dangling link, a link to itself, and a link from a read-only folder to a truncated file.
std::vector<HostileFile> hostileFiles();

// What stands at path, without following a link: its kind and, for a regular file, a digest of its bytes, for
// a folder its entries, for a link its target. Equal fingerprints mean nothing was changed or destroyed.
std::string fingerprint(const std::filesystem::path& path);

// The path a link points at (made absolute), or the path itself when it is no link.
std::filesystem::path linkTarget(const std::filesystem::path& path);

// Runs `work` with the table row's conditions: the folder of `file` read-only when the row says so (with the
// folders above reachable by the unprivileged user), restored afterwards.
void underConditions(const HostileFile& row, const std::filesystem::path& file, const std::filesystem::path& top,
                     const std::function<void()>& work);

}  // namespace clicktrove::testing
