#pragma once

#include <cstddef>
#include <cstdint>

namespace clicktrove::crash {

// One loaded file with code (executable, shared library, the vDSO) as the crash handler sees it.
struct MappedModule {
    static constexpr std::size_t kMaxPath = 1024;
    static constexpr std::size_t kMaxBuildId = 64;

    std::uintptr_t start = 0;       // where its first mapping begins
    std::uintptr_t end = 0;         // where its last mapping ends
    std::uintptr_t vmaddr = 0;      // the address its ELF headers ask for the first segment (0 for PIE and .so)
    std::uintptr_t headersEnd = 0;  // end of the first mapping, which holds the ELF and program headers
    bool headersReadable = false;
    std::uint8_t buildId[kMaxBuildId] = {};
    std::size_t buildIdSize = 0;
    char path[kMaxPath] = {};
};

// Readable memory around the crashing thread's stack pointer.
struct StackMapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool found() const { return end > start; }
};

// Reads /proc/self/maps once with read(2) and plain loads only, so that it may run inside a signal handler. It
// needs no table prepared in advance, so libraries loaded later (Qt plugins, GL and sound drivers) are found too.
class ModuleMapReader {
public:
    // Called for each module with code, in address order; the module is valid during the call only.
    using Visit = void (*)(const MappedModule& module, void* context);

    // Hands every file mapped with code (and the vDSO), with its build ID read from its headers in memory, to
    // visit, and returns the readable anonymous memory that holds stackPointer. A stack pointer that overflowed
    // lies below its stack, in the guard page or gap: then the readable mapping just above it (within 1 MiB)
    // counts.
    static StackMapping read(std::uintptr_t stackPointer, Visit visit, void* context);

    // The build ID from the GNU note among the module's program headers, when they are readable in memory.
    static void readBuildId(MappedModule& module);
};

}  // namespace clicktrove::crash
