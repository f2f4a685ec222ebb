#include "platform/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace clicktrove::platform {

namespace {
bool fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}
}  // namespace

bool writeFileAtomically(const std::filesystem::path& requested, std::string_view contents, std::string* error) {
    // A symbolic link (a settings file kept in a dotfiles folder, say) stays a link: the file it points at is
    // the one replaced. A link into a folder that is gone is replaced itself, so the save still succeeds.
    std::error_code ec;
    std::filesystem::path path = requested;
    if (std::filesystem::is_symlink(requested, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(requested, ec);
        if (!ec && std::filesystem::is_directory(resolved.parent_path(), ec)) path = resolved;
    }
    // The replacement keeps the permissions the user gave the file; a new file is readable as ordinary ones are.
    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) mode = existing.st_mode & 0777;

    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string name = ".";
    name.append(path.filename().string()).append(".tmp-XXXXXX");
    std::string tmpl = (folder / name).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return fail(error, "cannot create temporary file in " + folder.string());

    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(error, "cannot write " + tmpl);
            ::close(fd);
            ::unlink(tmpl.c_str());
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    ::fchmod(fd, mode);  // mkstemp creates 0600
    if (::fsync(fd) != 0) {
        fail(error, "cannot flush " + tmpl);
        ::close(fd);
        ::unlink(tmpl.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        fail(error, "cannot close " + tmpl);
        ::unlink(tmpl.c_str());
        return false;
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        fail(error, "cannot replace " + path.string());
        ::unlink(tmpl.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool readWholeFile(const std::filesystem::path& path, std::string& contents, std::string* error) {
    // Plain reads, because a stream reads a folder as an empty file without any error.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(error, "cannot open " + path.string());
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(error, "cannot read " + path.string());
            ::close(fd);
            return false;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    contents = std::move(data);
    return true;
}

}  // namespace clicktrove::platform
