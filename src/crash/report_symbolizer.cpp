#include "crash/report_symbolizer.hpp"

#include "crash/hex_text.hpp"

#include <elfutils/libdwfl.h>
#include <fcntl.h>
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
        Dwfl_Module* module =
            dwfl_report_elf(dwfl.get(), m.path.c_str(), m.path.c_str(), fd, m.start - m.vmaddr, false);
        if (!module) {
            ::close(fd);
            continue;
        }
        const unsigned char* bits = nullptr;
        GElf_Addr vaddr = 0;
        const int length = dwfl_module_build_id(module, &bits, &vaddr);
        const std::string buildId = length > 0 ? hexBytes(bits, static_cast<std::size_t>(length)) : std::string();
        if (!m.buildId.empty() && buildId != m.buildId) continue;  // replaced since the crash (an upgrade)
        reported[i] = module;
    }
    dwfl_report_end(dwfl.get(), nullptr, nullptr);

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
