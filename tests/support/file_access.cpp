#include "support/file_access.hpp"

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clicktrove::testing {

namespace fs = std::filesystem;

ScopedUmask::ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}

ScopedUmask::~ScopedUmask() {
    ::umask(previous_);
}

ScopedUnprivilegedFileAccess::ScopedUnprivilegedFileAccess() {
    if (::geteuid() != 0) return;
    // Per thread; a file-system id other than 0 also drops the capabilities that override file permissions.
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    switched_ = true;
}

ScopedUnprivilegedFileAccess::~ScopedUnprivilegedFileAccess() {
    if (!switched_) return;
    ::setfsuid(0);
    ::setfsgid(0);
}

void openToOthers(const fs::path& path, const fs::path& top, int mode) {
    const auto others = static_cast<fs::perms>(mode & 07);
    fs::permissions(path, others, fs::perm_options::add);
    for (fs::path folder = path.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
        if (folder == top || folder == folder.parent_path()) break;
    }
}

}  // namespace clicktrove::testing
