#include "rename_watch.hpp"

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <map>
#include <mutex>

namespace {
// Set only in the forked child, so the parent and every other test rename files normally.
bool crashAtRename = false;

std::mutex countsMutex;
std::map<std::filesystem::path, int>& counts() {
    static std::map<std::filesystem::path, int> byPath;
    return byPath;
}

// Relative and absolute spellings of one file count as one.
std::filesystem::path normalised(const std::filesystem::path& path) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal();
}
}  // namespace

// Takes the place of the C library's rename for the whole test executable; the real one is looked up behind it.
extern "C" int rename(const char* from, const char* to) {
    if (crashAtRename) ::raise(SIGKILL);
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    const int result = real(from, to);
    if (result == 0) {
        const std::lock_guard lock(countsMutex);
        ++counts()[normalised(to)];
    }
    return result;
}

namespace clicktrove::testing {

int renamesOnto(const std::filesystem::path& target) {
    const std::lock_guard lock(countsMutex);
    const auto it = counts().find(normalised(target));
    return it == counts().end() ? 0 : it->second;
}

bool runAndCrashAtRename(const std::function<void()>& work) {
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        crashAtRename = true;
        work();
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace clicktrove::testing
