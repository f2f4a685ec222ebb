#include "platform/file_in_place_write.hpp"

#include "platform/write_all.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace clicktrove::platform {

namespace {
bool fail(std::string* reason, const char* text) {
    if (reason) *reason = text;
    return false;
}
}  // namespace

bool writeFileInPlace(const std::filesystem::path& path, std::string_view contents, std::string* reason) {
    // No O_TRUNC yet: what stands there is checked first, and truncating a device or FIFO means nothing anyway.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return fail(reason, std::strerror(errno));
    const auto close = [fd](std::string* why, const char* text) {
        ::close(fd);
        return fail(why, text);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0) return close(reason, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return close(reason, "not a regular file");
    if (::ftruncate(fd, 0) != 0) return close(reason, std::strerror(errno));
    if (!writeAll(fd, contents)) return close(reason, std::strerror(errno));
    // A full disk or a quota may only show at close on some file systems (NFS).
    if (::close(fd) != 0) return fail(reason, std::strerror(errno));
    return true;
}

}  // namespace clicktrove::platform
