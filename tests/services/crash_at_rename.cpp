#include "crash_at_rename.hpp"

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Set only in the forked child, so the parent and every other test rename files normally.
bool crashAtRename = false;
}  // namespace

// Takes the place of the C library's rename for the whole test executable; the real one is looked up behind it.
extern "C" int rename(const char* from, const char* to) {
    if (crashAtRename) ::raise(SIGKILL);
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    return real(from, to);
}

namespace clicktrove::testing {

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
