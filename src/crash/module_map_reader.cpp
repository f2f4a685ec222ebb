#include "crash/module_map_reader.hpp"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace clicktrove::crash {

namespace {

// One line of /proc/self/maps: "start-end perms offset dev inode   path".
struct MapLine {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool readable = false;
    bool executable = false;
    std::uint64_t offset = 0;
    std::uint64_t inode = 0;
    const char* path = nullptr;
    std::size_t pathLength = 0;
};

bool parseHex(const char*& p, const char* end, std::uint64_t& value) {
    const char* begin = p;
    value = 0;
    while (p < end) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            break;
        }
        value = value * 16 + static_cast<std::uint64_t>(digit);
        ++p;
    }
    return p != begin;
}

bool parseDecimal(const char*& p, const char* end, std::uint64_t& value) {
    const char* begin = p;
    value = 0;
    while (p < end && *p >= '0' && *p <= '9') value = value * 10 + static_cast<std::uint64_t>(*p++ - '0');
    return p != begin;
}

bool skip(const char*& p, const char* end, char c) {
    if (p >= end || *p != c) return false;
    ++p;
    return true;
}

void skipSpaces(const char*& p, const char* end) {
    while (p < end && *p == ' ') ++p;
}

bool parseLine(const char* line, std::size_t length, MapLine& out) {
    const char* p = line;
    const char* end = line + length;
    std::uint64_t start, stop, offset, inode, ignored;
    if (!parseHex(p, end, start) || !skip(p, end, '-') || !parseHex(p, end, stop) || !skip(p, end, ' ')) {
        return false;
    }
    if (end - p < 5) return false;
    out.readable = p[0] == 'r';
    out.executable = p[2] == 'x';
    p += 4;
    if (!skip(p, end, ' ') || !parseHex(p, end, offset) || !skip(p, end, ' ')) return false;
    // Device "major:minor", then the inode.
    if (!parseHex(p, end, ignored) || !skip(p, end, ':') || !parseHex(p, end, ignored) || !skip(p, end, ' ')) {
        return false;
    }
    if (!parseDecimal(p, end, inode)) return false;
    skipSpaces(p, end);
    out.start = start;
    out.end = stop;
    out.offset = offset;
    out.inode = inode;
    out.path = p;
    out.pathLength = static_cast<std::size_t>(end - p);
    return true;
}

// How far below its stack a stack pointer may lie after an overflow: the kernel keeps a gap of 256 pages below
// a growing stack, a thread's stack has a guard page or more.
constexpr std::uintptr_t kGuardReach = std::uintptr_t{1} << 20;

// Walks the lines of /proc/self/maps, grouping the consecutive mappings of one file into one module, and finds
// the stack.
class Scanner {
public:
    Scanner(std::uintptr_t stackPointer, ModuleMapReader::Visit visit, void* context)
        : stackPointer_(stackPointer), visit_(visit), context_(context) {}

    void line(const MapLine& l) {
        findStack(l);
        if (l.pathLength == 0) return;  // anonymous memory: no file to name
        const bool continues = active_ && l.offset != 0 && l.inode == inode_ && l.pathLength == pathLength_ &&
                               std::memcmp(l.path, module_.path, l.pathLength) == 0;
        if (!continues) {
            finishModule();
            active_ = true;
            inode_ = l.inode;
            pathLength_ = l.pathLength < sizeof module_.path ? l.pathLength : sizeof module_.path - 1;
            module_ = MappedModule{};
            std::memcpy(module_.path, l.path, pathLength_);
            // A file whose first mapping is not at offset 0 has lost its headers; its start is a guess.
            module_.start = l.start - (l.offset <= l.start ? l.offset : 0);
            module_.headersEnd = l.end;
            module_.headersReadable = l.offset == 0 && l.readable;
            executable_ = false;
        }
        module_.end = l.end;
        executable_ = executable_ || l.executable;
    }

    void finishModule() {
        if (active_ && executable_) {
            ModuleMapReader::readBuildId(module_);
            visit_(module_, context_);
        }
        active_ = false;
    }

    StackMapping stack() const { return stack_; }

private:
    // Only anonymous memory counts: a mapped file read past its end (truncated since) would raise SIGBUS.
    void findStack(const MapLine& l) {
        const bool readableMemory = l.readable && l.inode == 0;
        if (stackDecided_) {
            // A stack made of several adjacent mappings reads on into the next ones.
            if (stack_.found() && readableMemory && l.start == stack_.end) stack_.end = l.end;
            return;
        }
        if (!l.readable || l.end <= stackPointer_) return;
        stackDecided_ = true;
        if (readableMemory && (l.start <= stackPointer_ || l.start - stackPointer_ <= kGuardReach)) {
            stack_ = {l.start, l.end};
        }
    }

    const std::uintptr_t stackPointer_;
    const ModuleMapReader::Visit visit_;
    void* const context_;

    bool active_ = false;
    bool executable_ = false;
    std::uint64_t inode_ = 0;
    std::size_t pathLength_ = 0;
    MappedModule module_;

    bool stackDecided_ = false;
    StackMapping stack_;
};

}  // namespace

StackMapping ModuleMapReader::read(std::uintptr_t stackPointer, Visit visit, void* context) {
    Scanner scanner(stackPointer, visit, context);
    const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char chunk[4096];
        char line[MappedModule::kMaxPath + 128];
        std::size_t lineLength = 0;
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            for (ssize_t i = 0; i < n; ++i) {
                if (chunk[i] != '\n') {
                    // A line longer than any path we keep is cut; its address range still counts.
                    if (lineLength < sizeof line) line[lineLength++] = chunk[i];
                    continue;
                }
                MapLine parsed;
                if (parseLine(line, lineLength, parsed)) scanner.line(parsed);
                lineLength = 0;
            }
        }
        ::close(fd);
    }
    scanner.finishModule();
    return scanner.stack();
}

void ModuleMapReader::readBuildId(MappedModule& module) {
    if (!module.headersReadable || module.headersEnd - module.start < sizeof(Elf64_Ehdr)) return;
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(module.start);
    if (std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 || header->e_ident[EI_CLASS] != ELFCLASS64 ||
        header->e_phentsize != sizeof(Elf64_Phdr)) {
        return;
    }
    const std::uintptr_t available = module.headersEnd - module.start;
    if (header->e_phoff > available || header->e_phnum * sizeof(Elf64_Phdr) > available - header->e_phoff) return;
    const auto* phdrs = reinterpret_cast<const Elf64_Phdr*>(module.start + header->e_phoff);

    // The loader maps the first PT_LOAD segment (file offset 0) at the module's start.
    bool haveLoad = false;
    for (std::size_t i = 0; i < header->e_phnum && !haveLoad; ++i) {
        if (phdrs[i].p_type != PT_LOAD || phdrs[i].p_offset > phdrs[i].p_vaddr) continue;
        module.vmaddr = phdrs[i].p_vaddr - phdrs[i].p_offset;
        haveLoad = true;
    }
    if (!haveLoad) return;
    const std::uintptr_t bias = module.start - module.vmaddr;

    for (std::size_t i = 0; i < header->e_phnum; ++i) {
        const Elf64_Phdr& note = phdrs[i];
        if (note.p_type != PT_NOTE) continue;
        const std::uintptr_t begin = bias + note.p_vaddr;
        const std::uintptr_t end = begin + note.p_filesz;
        // Only notes inside the mapping already known to be readable: anything else might fault.
        if (begin < module.start || end > module.headersEnd || end < begin) continue;
        const std::uintptr_t align = note.p_align == 8 ? 8 : 4;
        std::uintptr_t p = begin;
        while (p + sizeof(Elf64_Nhdr) <= end) {
            const auto* nh = reinterpret_cast<const Elf64_Nhdr*>(p);
            const std::uintptr_t name = p + sizeof(Elf64_Nhdr);
            const std::uintptr_t desc = name + ((nh->n_namesz + align - 1) & ~(align - 1));
            const std::uintptr_t next = desc + ((nh->n_descsz + align - 1) & ~(align - 1));
            if (next > end || next <= p) break;
            if (nh->n_type == NT_GNU_BUILD_ID && nh->n_namesz == 4 &&
                std::memcmp(reinterpret_cast<const char*>(name), "GNU", 4) == 0) {
                const std::size_t size =
                    nh->n_descsz < MappedModule::kMaxBuildId ? nh->n_descsz : MappedModule::kMaxBuildId;
                std::memcpy(module.buildId, reinterpret_cast<const void*>(desc), size);
                module.buildIdSize = size;
                return;
            }
            p = next;
        }
    }
}

}  // namespace clicktrove::crash
