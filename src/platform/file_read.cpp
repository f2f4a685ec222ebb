#include "platform/file_read.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace clicktrove::platform {

namespace {

FileRead failed(std::string reason, std::error_code code = {}) {
    FileRead result;
    result.status = FileRead::Status::unreadable;
    result.reason = code ? code.message() : std::move(reason);
    result.code = code;
    return result;
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

std::string sizeLimitText(std::size_t maxBytes) {
    if (maxBytes % (1024 * 1024) == 0) return "larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB";
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

}  // namespace

std::string FileRead::message(const std::filesystem::path& path) const {
    return path.string() + ": " + (status == Status::missing ? std::string("missing") : reason);
}

FileRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO for reading returns at once instead of waiting for a writer. O_NOCTTY: a
    // terminal device in the file's place never becomes the controlling terminal.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        // ENOTDIR: a file stands where a folder of the path should be, so this file cannot exist either.
        if (errno == ENOENT || errno == ENOTDIR) return FileRead{};
        return failed({}, lastError());
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return failed({}, lastError());
    if (S_ISDIR(info.st_mode)) return failed("a folder, not a file");
    if (!S_ISREG(info.st_mode)) return failed("not a regular file");
    if (info.st_size > 0 && static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return failed(sizeLimitText(maxBytes));

    // The size is only a hint: the file may grow while it is read, and files of /proc and /sys report 0 or a
    // page. Read until the end, but never past the limit.
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0));
    char buffer[65536];
    for (;;) {
        const std::size_t room = maxBytes - data.size() + 1;
        const ssize_t n = ::read(fd.get(), buffer, room < sizeof buffer ? room : sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return failed({}, lastError());
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > maxBytes) return failed(sizeLimitText(maxBytes));
    }
    FileRead result;
    result.status = FileRead::Status::read;
    result.contents = std::move(data);
    return result;
}

}  // namespace clicktrove::platform
