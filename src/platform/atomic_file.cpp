#include "platform/atomic_file.hpp"

#include "platform/secure_random.hpp"
#include "platform/write_all.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace clicktrove::platform {

namespace {

constexpr std::string_view kTemporaryMarker = ".tmp-";

bool fail(std::string* error, std::error_code* code, const std::string& what, int number) {
    if (error) *error = what + ": " + std::strerror(number);
    if (code) *code = std::error_code(number, std::generic_category());
    return false;
}

std::string temporaryPrefix(const std::filesystem::path& path) {
    std::string prefix(1, '.');
    prefix.append(path.filename().string()).append(kTemporaryMarker);
    return prefix;
}

// A fresh temporary file beside `path`, created with O_EXCL so that it never reuses a name, and with mode 0666
// so that the kernel applies the umask (and a default ACL of the folder). Locked until the fd is closed.
int createTemporary(const std::filesystem::path& folder, const std::filesystem::path& path, std::string& name) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t random = SecureRandom::instance().nextUInt64();
        std::string suffix;
        for (int i = 0; i < 10; ++i, random /= 62) suffix += kAlphabet[random % 62];
        name = (folder / (temporaryPrefix(path) + suffix)).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            // Marks the file as in use for removeStaleTemporaries; the lock ends with the fd, also when the
            // process is killed. Advisory only: a failure here costs nothing but that protection.
            ::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

// Where a save through `path` goes: the file at the end of its chain of links, also when that file does not
// exist yet (a link into a dotfiles folder made before its file); the path itself when it is no link, when the
// chain loops, or when the folder it ends in is gone.
std::filesystem::path writeTarget(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path current = path;
    for (int hop = 0; hop < 40; ++hop) {
        if (!std::filesystem::is_symlink(current, ec)) {
            return std::filesystem::is_directory(current.parent_path().empty() ? "." : current.parent_path(), ec)
                       ? current
                       : path;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec) return path;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return path;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& requested, std::string_view contents, std::string* error,
                         std::error_code* code) {
    // A symbolic link (a settings file kept in a dotfiles folder, say) stays a link: the file it points at is
    // the one replaced. A link into a folder that is gone is replaced itself, so the save still succeeds.
    const std::filesystem::path path = writeTarget(requested);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    // A device, FIFO or folder in the file's place is nothing this writer may replace (renaming over /dev/null
    // through a link would destroy it for everyone).
    if (exists && !S_ISREG(existing.st_mode)) {
        if (error) *error = path.string() + " is not a regular file";
        if (code) *code = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    const bool keepMode = exists;

    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string tmp;
    const int fd = createTemporary(folder, path, tmp);
    if (fd < 0) return fail(error, code, "cannot create a temporary file in " + folder.string(), errno);
    const auto abandon = [&](const std::string& what) {
        const int number = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail(error, code, what, number);
    };

    if (!writeAll(fd, contents)) return abandon("cannot write " + tmp);
    if (keepMode && ::fchmod(fd, existing.st_mode & 07777) != 0) return abandon("cannot set the permissions of " + tmp);
    if (::fsync(fd) != 0) return abandon("cannot flush " + tmp);
    // Renamed while still open (and locked), so a clean-up running meanwhile never takes it for stale.
    if (::rename(tmp.c_str(), path.c_str()) != 0) return abandon("cannot replace " + path.string());
    ::close(fd);
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

int removeStaleTemporaries(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const std::string prefix = temporaryPrefix(path);
    int removed = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        // O_NOFOLLOW and a regular-file check: only what a save of ours can have left is touched.
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat info {};
        const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (stale && ::unlink(entry.path().c_str()) == 0) ++removed;
        ::close(fd);
    }
    return removed;
}

}  // namespace clicktrove::platform
