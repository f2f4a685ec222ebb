#pragma once

#include <sys/types.h>
#include <filesystem>

namespace clicktrove::testing {

// Sets the process's umask for the object's life and puts the previous one back.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask);
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;
    ~ScopedUmask();

private:
    mode_t previous_;
};

// Makes file permissions count for this thread while the object lives, also when the tests run as root (as in
// a container), by checking file access as the unprivileged user "nobody" (the file-system user id only; the
// process stays root otherwise). A folder made read-only is then read-only for the code under test, too.
// Files created meanwhile belong to nobody. Folders the code must reach need to be open to others
// (openToOthers).
class ScopedUnprivilegedFileAccess {
public:
    static constexpr uid_t kNobody = 65534;

    ScopedUnprivilegedFileAccess();
    ScopedUnprivilegedFileAccess(const ScopedUnprivilegedFileAccess&) = delete;
    ScopedUnprivilegedFileAccess& operator=(const ScopedUnprivilegedFileAccess&) = delete;
    ~ScopedUnprivilegedFileAccess();

private:
    bool switched_ = false;
};

// Gives others the permissions `mode` (0-7) on path and search permission on every folder above it up to
// and including `top`, so that the unprivileged user can reach it.
void openToOthers(const std::filesystem::path& path, const std::filesystem::path& top, int mode);

}  // namespace clicktrove::testing
