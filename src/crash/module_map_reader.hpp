#pragma once

#include <cstddef>
#include <cstdint>

namespace clicktrove::crash {

// One loaded file (executable, shared library, the vDSO) as the crash handler sees it.
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

// Finds the module of each stack address from /proc/self/maps and each such module's GNU build ID from its
// headers in memory, with read(2) and plain loads only, so it may run inside a signal handler. It needs no
// table prepared in advance, so libraries loaded later (Qt plugins, GL and sound drivers) are found too.
class ModuleMapReader {
public:
    // For each of count addresses sets moduleOfAddress[i] to an index into modules, or -1 when the address lies
    // in no file mapping (or more than capacity modules are involved). Returns how many modules were filled.
    static std::size_t resolve(const std::uintptr_t* addresses, std::size_t count, int* moduleOfAddress,
                               MappedModule* modules, std::size_t capacity);

private:
    static void readBuildId(MappedModule& module);
};

}  // namespace clicktrove::crash
