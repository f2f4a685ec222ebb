#pragma once

#include <filesystem>
#include <string>

namespace clicktrove::crash {

// The namespace of the handler's own functions, as their names begin once symbolised: frames of the crash
// handler itself (the terminate handler is still on the stack when its abort is reported), not of the culprit.
inline constexpr char kHandlerNamespace[] = "clicktrove::crash::handler::";

// Catches the fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS) and std::terminate and writes one report
// per crash into a folder: the signal and fault address, the crashing thread, the instruction that crashed, the
// thread's registers and the bytes of its stack, every module with code (path, load address, build ID), the
// program's release and version, the distribution (os-release) and the time. The handler runs on the thread's alternate signal stack when it has one and
// calls only system calls and its own code: it allocates nothing and takes no lock (not even the loader's, which
// any stack walker in the process takes), so it still writes its report when the crash happened in the middle of
// malloc or while another thread loads a library. The walk of the stack is left to the next start
// (ReportSymbolizer). Afterwards the handler restores the default action and raises the signal again, so the
// system's core handler still sees the crash.
class CrashHandler {
public:
    struct Config {
        // Created (owner only) when missing. Reports are named "<UTC YYYYMMDDTHHMMSSZ>.crash".
        std::filesystem::path directory;
        std::string release;
        std::string dist;
        // The program's own version (the dist is its build).
        std::string version;
    };

    // Installs the handlers and gives the calling thread an alternate signal stack. A later call points the
    // handlers at the new configuration. Returns false (and installs nothing) when the folder cannot be made.
    static bool install(const Config& config);
};

}  // namespace clicktrove::crash
