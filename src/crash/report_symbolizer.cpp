#include "crash/report_symbolizer.hpp"

#include "crash/hex_text.hpp"
#include "crash/stack_snapshot_unwinder.hpp"

#include <elfutils/libdwelf.h>
#include <elfutils/libdwfl.h>
#include <fcntl.h>
#include <libelf.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace clicktrove::crash {

namespace {

// The modules are reported with their files already open, so libdw never has to look for one.
int findNoElf(Dwfl_Module*, void**, const char*, Dwarf_Addr, char**, Elf**) {
    return -1;
}

// Separate debug information by build ID under /usr/lib/debug, and nothing over the network
// (dwfl_standard_find_debuginfo would also ask debuginfod).
int findLocalDebuginfo(Dwfl_Module* module, void**, const char*, Dwarf_Addr, const char*, const char*, GElf_Word,
                       char** debuginfoFileName) {
    const unsigned char* bits = nullptr;
    GElf_Addr vaddr = 0;
    const int length = dwfl_module_build_id(module, &bits, &vaddr);
    if (length < 2) return -1;
    const std::string hex = hexBytes(bits, static_cast<std::size_t>(length));
    const std::string path = "/usr/lib/debug/.build-id/" + hex.substr(0, 2) + "/" + hex.substr(2) + ".debug";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    *debuginfoFileName = ::strdup(path.c_str());
    return fd;
}

const Dwfl_Callbacks kCallbacks = {
    &findNoElf,
    &findLocalDebuginfo,
    &dwfl_offline_section_address,
    nullptr,
};

// The build ID of the file now at the module's path, or nothing when it has none or is no ELF file.
std::string fileBuildId(int fd) {
    elf_version(EV_CURRENT);
    std::unique_ptr<Elf, decltype(&elf_end)> elf(elf_begin(fd, ELF_C_READ_MMAP, nullptr), &elf_end);
    if (!elf) return {};
    const void* bits = nullptr;
    const ssize_t length = dwelf_elf_gnu_build_id(elf.get(), &bits);
    return length > 0 ? hexBytes(static_cast<const unsigned char*>(bits), static_cast<std::size_t>(length))
                      : std::string();
}

// Tabs and line ends separate the fields of a report line.
std::string oneField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

void ReportSymbolizer::symbolize(CrashReport& report) {
    std::unique_ptr<Dwfl, decltype(&dwfl_end)> dwfl(dwfl_begin(&kCallbacks), &dwfl_end);
    if (!dwfl) return;

    std::vector<Dwfl_Module*> reported(report.modules.size(), nullptr);
    dwfl_report_begin(dwfl.get());
    for (std::size_t i = 0; i < report.modules.size(); ++i) {
        const CrashReport::Module& m = report.modules[i];
        // Pseudo-files such as "[vdso]" exist only in the crashed process.
        if (m.path.empty() || m.path.front() != '/') continue;
        const int fd = ::open(m.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        // A file replaced since the crash (an upgrade) is not the code that crashed: its names and its call-frame
        // information would both be wrong, so it is left out before the walk of the stack can use it.
        if (!m.buildId.empty() && fileBuildId(fd) != m.buildId) {
            ::close(fd);
            continue;
        }
        Dwfl_Module* module =
            dwfl_report_elf(dwfl.get(), m.path.c_str(), m.path.c_str(), fd, m.start - m.vmaddr, false);
        if (!module) {
            ::close(fd);
            continue;
        }
        reported[i] = module;
    }
    dwfl_report_end(dwfl.get(), nullptr, nullptr);
    StackSnapshotUnwinder::unwind(dwfl.get(), report);

    for (std::size_t i = 0; i < report.frames.size(); ++i) {
        CrashReport::Frame& frame = report.frames[i];
        if (!frame.module || !reported[*frame.module]) continue;
        Dwfl_Module* module = reported[*frame.module];
        // A return address points after its call, possibly into the next line or function.
        const Dwarf_Addr address = i == 0 ? frame.address : frame.address - 1;
        GElf_Off offset = 0;
        GElf_Sym symbol;
        if (const char* name = dwfl_module_addrinfo(module, address, &offset, &symbol, nullptr, nullptr, nullptr)) {
            frame.function = oneField(demangled(name));
        }
        if (Dwfl_Line* line = dwfl_module_getsrc(module, address)) {
            int lineNumber = 0;
            if (const char* file = dwfl_lineinfo(line, nullptr, &lineNumber, nullptr, nullptr, nullptr)) {
                frame.file = oneField(file);
                frame.line = lineNumber;
            }
        }
    }
    report.symbolized = true;
}

}  // namespace clicktrove::crash
