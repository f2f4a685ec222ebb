#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clicktrove::crash {

// A crash report read back from the file the signal handler wrote (crash_report_format.hpp), and written again
// once its frames carry names.
class CrashReport {
public:
    struct Module {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        std::uint64_t vmaddr = 0;
        std::string buildId;  // lower-case hex; empty when the module had none
        std::string path;
    };

    struct Frame {
        std::uint64_t address = 0;
        std::optional<std::size_t> module;
        // Filled in by symbolisation; empty (and 0) where nothing was found.
        std::string function;
        std::string file;
        int line = 0;
    };

    // Present when the crash came through std::terminate.
    struct Terminate {
        // Empty when terminate was called without an exception in flight.
        std::string exceptionType;  // as the compiler names it (mangled)
        std::string what;
    };

    std::string release;
    std::string dist;
    std::string version;
    std::string time;  // RFC 3339, UTC
    std::int64_t processId = 0;
    int signal = 0;
    std::string signalName;
    std::optional<int> code;
    std::optional<std::uint64_t> faultAddress;
    std::int64_t threadId = 0;
    std::string threadName;
    std::optional<Terminate> terminate;
    std::string os;  // "<system> <release> <machine>"
    // From os-release; empty when the system did not say.
    std::string distributionName;
    std::string distributionVersion;
    std::vector<Module> modules;
    std::vector<Frame> frames;
    bool symbolized = false;
    // Drawn at the first attempt to send and kept with the report, so that a report sent again after its answer
    // was lost is the same event to the service, not a second one.
    std::string eventId;

    // What the handler saved for the walk of the stack, which only the next start does: the crashing thread's
    // registers by DWARF number and its stack's bytes from a little below its pointer upwards. Both are dropped
    // once the frames are walked, so that the stack's contents stay on disk no longer than needed.
    struct Stack {
        std::uint64_t start = 0;
        std::string bytes;
    };
    std::vector<std::uint64_t> registers;
    std::optional<Stack> stack;

    // Nothing when the text is not a complete report (cut short, damaged, or of another kind).
    static std::optional<CrashReport> parse(std::string_view text);
    std::string serialize() const;
};

}  // namespace clicktrove::crash
