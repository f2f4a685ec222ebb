#include "crash/report_symbolizer.hpp"

#include "crash/hex_text.hpp"
#include "crash/stack_snapshot_unwinder.hpp"

#include <elfutils/libdw.h>
#include <elfutils/libdwelf.h>
#include <elfutils/libdwfl.h>
#include <fcntl.h>
#include <libelf.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace clicktrove::crash {

namespace {

// The modules are reported with their files already open, so libdw never has to look for one.
int findNoElf(Dwfl_Module*, void**, const char*, Dwarf_Addr, char**, Elf**) {
    return -1;
}

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

// Where the debug information of a stripped module may be, most likely first: by build ID under the system's
// debug folder (Debian's -dbgsym packages, the distribution's and ours) and under the same folder of the prefix
// the module is installed in (make install into /usr/local or ~/.local), then by its debug link beside it.
std::vector<std::string> debugFileCandidates(const std::string& buildId, const char* moduleFile,
                                             const char* debugLink) {
    namespace fs = std::filesystem;
    std::vector<std::string> candidates;
    const fs::path module = moduleFile ? fs::path(moduleFile) : fs::path();
    const fs::path folder = module.parent_path();
    if (buildId.size() > 2) {
        const fs::path byId = fs::path(".build-id") / buildId.substr(0, 2) / (buildId.substr(2) + ".debug");
        candidates.push_back((fs::path("/usr/lib/debug") / byId).string());
        if (!folder.empty()) {
            candidates.push_back((folder.parent_path() / "lib/debug" / byId).lexically_normal().string());
        }
    }
    if (debugLink && *debugLink && !folder.empty()) {
        candidates.push_back((folder / debugLink).string());
        candidates.push_back((folder / ".debug" / debugLink).string());
        candidates.push_back((fs::path("/usr/lib/debug") / folder.relative_path() / debugLink).string());
    }
    return candidates;
}

// Separate debug information, from local files only: dwfl_standard_find_debuginfo would also ask debuginfod.
// A file counts only when it was split from this very module (the same build ID).
int findLocalDebuginfo(Dwfl_Module* module, void**, const char*, Dwarf_Addr, const char* moduleFile,
                       const char* debugLink, GElf_Word, char** debuginfoFileName) {
    const unsigned char* bits = nullptr;
    GElf_Addr vaddr = 0;
    const int length = dwfl_module_build_id(module, &bits, &vaddr);
    if (length < 2) return -1;
    const std::string buildId = hexBytes(bits, static_cast<std::size_t>(length));
    for (const std::string& path : debugFileCandidates(buildId, moduleFile, debugLink)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (fileBuildId(fd) != buildId) {
            ::close(fd);
            continue;
        }
        *debuginfoFileName = ::strdup(path.c_str());
        return fd;
    }
    return -1;
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

// The file and line of the code at address, only when the line table really covers it. libdw gives the nearest
// line before an address that no compilation unit holds (a start-up routine linked in without line tables): a
// line of whatever was compiled before it, in another function.
std::optional<std::pair<std::string, int>> lineOf(Dwfl_Module* module, Dwarf_Addr address,
                                                  std::optional<Dwarf_Addr> functionStart) {
    Dwarf_Addr bias = 0;
    Dwarf_Die* unit = dwfl_module_addrdie(module, address, &bias);
    if (!unit || dwarf_haspc(unit, address - bias) <= 0) return std::nullopt;
    Dwfl_Line* line = dwfl_module_getsrc(module, address);
    if (!line) return std::nullopt;
    Dwarf_Addr lineAddress = 0;
    int lineNumber = 0;
    const char* file = dwfl_lineinfo(line, &lineAddress, &lineNumber, nullptr, nullptr, nullptr);
    if (!file || lineNumber <= 0) return std::nullopt;
    // The row that ends a sequence marks the first address after it; and a row before the function's first
    // instruction belongs to the code before it.
    bool endOfSequence = false;
    Dwarf_Addr lineBias = 0;
    if (Dwarf_Line* row = dwfl_dwarf_line(line, &lineBias); row && dwarf_lineendsequence(row, &endOfSequence) == 0 &&
                                                           endOfSequence) {
        return std::nullopt;
    }
    if (functionStart && lineAddress < *functionStart) return std::nullopt;
    return std::make_pair(std::string(file), lineNumber);
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
        std::optional<Dwarf_Addr> functionStart;
        if (const char* name = dwfl_module_addrinfo(module, address, &offset, &symbol, nullptr, nullptr, nullptr)) {
            frame.function = oneField(demangled(name));
            functionStart = address - offset;
        }
        if (const auto line = lineOf(module, address, functionStart)) {
            frame.file = oneField(line->first);
            frame.line = line->second;
        }
    }
    report.symbolized = true;
}

}  // namespace clicktrove::crash
