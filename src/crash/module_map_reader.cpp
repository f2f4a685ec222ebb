#include "crash/module_map_reader.hpp"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace clicktrove::crash {

namespace {

constexpr int kUnresolved = -2;

// One line of /proc/self/maps: "start-end perms offset dev inode   path".
struct MapLine {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool readable = false;
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

// Walks the lines of /proc/self/maps, grouping the consecutive mappings of one file into one module.
class Resolver {
public:
    Resolver(const std::uintptr_t* addresses, std::size_t count, int* moduleOf, MappedModule* modules,
             std::size_t capacity)
        : addresses_(addresses), count_(count), moduleOf_(moduleOf), modules_(modules), capacity_(capacity) {}

    void line(const MapLine& l) {
        if (l.pathLength == 0) return;  // anonymous memory: no file to name
        const bool continues = active_ && l.offset != 0 && l.inode == inode_ && l.pathLength == pathLength_ &&
                               std::memcmp(l.path, path_, l.pathLength) == 0;
        if (!continues) {
            active_ = true;
            inode_ = l.inode;
            pathLength_ = l.pathLength < sizeof path_ ? l.pathLength : sizeof path_ - 1;
            std::memcpy(path_, l.path, pathLength_);
            // A file whose first mapping is not at offset 0 has lost its headers; its start is a guess.
            start_ = l.start - (l.offset <= l.start ? l.offset : 0);
            headersEnd_ = l.end;
            headersReadable_ = l.offset == 0 && l.readable;
            module_ = -1;
        }
        if (module_ >= 0) modules_[module_].end = l.end;
        end_ = l.end;
        for (std::size_t i = 0; i < count_; ++i) {
            if (moduleOf_[i] != kUnresolved || addresses_[i] < l.start || addresses_[i] >= l.end) continue;
            moduleOf_[i] = moduleForGroup();
        }
    }

    std::size_t filled() const { return filled_; }

private:
    int moduleForGroup() {
        if (module_ >= 0) return module_;
        if (filled_ == capacity_) return -1;
        MappedModule& m = modules_[filled_];
        m = MappedModule{};
        m.start = start_;
        m.end = end_;
        m.headersEnd = headersEnd_;
        m.headersReadable = headersReadable_;
        std::memcpy(m.path, path_, pathLength_);
        m.path[pathLength_] = '\0';
        module_ = static_cast<int>(filled_++);
        return module_;
    }

    const std::uintptr_t* addresses_;
    std::size_t count_;
    int* moduleOf_;
    MappedModule* modules_;
    std::size_t capacity_;
    std::size_t filled_ = 0;

    bool active_ = false;
    std::uint64_t inode_ = 0;
    char path_[MappedModule::kMaxPath] = {};
    std::size_t pathLength_ = 0;
    std::uintptr_t start_ = 0;
    std::uintptr_t end_ = 0;
    std::uintptr_t headersEnd_ = 0;
    bool headersReadable_ = false;
    int module_ = -1;
};

}  // namespace

std::size_t ModuleMapReader::resolve(const std::uintptr_t* addresses, std::size_t count, int* moduleOfAddress,
                                     MappedModule* modules, std::size_t capacity) {
    for (std::size_t i = 0; i < count; ++i) moduleOfAddress[i] = kUnresolved;
    Resolver resolver(addresses, count, moduleOfAddress, modules, capacity);

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
                if (parseLine(line, lineLength, parsed)) resolver.line(parsed);
                lineLength = 0;
            }
        }
        ::close(fd);
    }

    for (std::size_t i = 0; i < count; ++i) {
        if (moduleOfAddress[i] == kUnresolved) moduleOfAddress[i] = -1;
    }
    const std::size_t filled = resolver.filled();
    for (std::size_t i = 0; i < filled; ++i) readBuildId(modules[i]);
    return filled;
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
