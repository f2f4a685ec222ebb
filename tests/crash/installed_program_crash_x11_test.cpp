// The program as a user gets it, from an install and from its packages, crashed on the test's X server: the
// install splits the debug information off by build ID, and the next start's symboliser finds it there, so the
// program's own frames get their file and line although the installed binary is stripped.
#include "crash/crash_report.hpp"
#include "crash/hex_text.hpp"
#include "crash/report_symbolizer.hpp"
#include "support/child_process.hpp"
#include "support/temp_home.hpp"
#include "support/wait_until.hpp"

#include <elfutils/libdwelf.h>
#include <fcntl.h>
#include <gelf.h>
#include <gtest/gtest.h>
#include <libelf.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace clicktrove::crash {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using clicktrove::testing::runCommand;

// What an ELF file says about itself: its build ID and the names of its sections.
struct ElfFacts {
    std::string buildId;
    std::set<std::string> sections;
};

ElfFacts elfFacts(const fs::path& path) {
    ElfFacts facts;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return facts;
    elf_version(EV_CURRENT);
    if (Elf* elf = elf_begin(fd, ELF_C_READ_MMAP, nullptr)) {
        const void* bits = nullptr;
        const ssize_t length = dwelf_elf_gnu_build_id(elf, &bits);
        if (length > 0) facts.buildId = hexBytes(static_cast<const unsigned char*>(bits), length);
        std::size_t names = 0;
        elf_getshdrstrndx(elf, &names);
        for (Elf_Scn* section = nullptr; (section = elf_nextscn(elf, section));) {
            GElf_Shdr header;
            if (gelf_getshdr(section, &header) && header.sh_type != SHT_NOBITS) {
                if (const char* name = elf_strptr(elf, names, header.sh_name)) facts.sections.insert(name);
            }
        }
        elf_end(elf);
    }
    ::close(fd);
    return facts;
}

std::vector<fs::path> filesEndingIn(const fs::path& folder, const std::string& ending) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
            found.push_back(entry.path());
        }
    }
    return found;
}

// The tree `make install PREFIX=/usr DESTDIR=<root>` leaves.
bool install(const fs::path& root) {
    return runCommand({"env", "DESTDIR=" + root.string(), CMAKE_COMMAND, "--install", CLICKTROVE_BUILD_DIR, "--prefix",
                       "/usr"}) == 0;
}

// The tree that installing both packages of `make package` leaves: the program's and its -dbgsym package.
bool installPackages(const fs::path& root, const fs::path& packages) {
    if (runCommand({CPACK_COMMAND, "-G", "DEB", "--config", std::string(CLICKTROVE_BUILD_DIR) + "/CPackConfig.cmake",
                    "-B", packages.string(), "-D", "CPACK_PACKAGING_INSTALL_PREFIX=/usr"}) != 0) {
        return false;
    }
    std::vector<fs::path> all = filesEndingIn(packages, ".deb");
    const auto debugSymbols = filesEndingIn(packages, ".ddeb");
    all.insert(all.end(), debugSymbols.begin(), debugSymbols.end());
    EXPECT_EQ(all.size(), 2u) << "the program's package and its -dbgsym package";
    for (const fs::path& package : all) {
        if (runCommand({"dpkg-deb", "-x", package.string(), root.string()}) != 0) return false;
    }
    return true;
}

class InstalledProgramCrashTest : public clicktrove::testing::TempHomeTest {
protected:
    // Starts the installed program, crashes its main thread once crash reporting is up, and reads the report back.
    std::optional<CrashReport> crash(const fs::path& binary) {
        const fs::path reports = tempHome.stateHome() / "Clicktrove" / "crashes";
        clicktrove::testing::ChildProcess program;
        EXPECT_TRUE(program.start({binary.string()}));
        EXPECT_TRUE(clicktrove::testing::waitUntil([&] { return fs::exists(reports); }, 30s, 10ms))
            << "crash reporting started";
        std::this_thread::sleep_for(300ms);
        ::syscall(SYS_tgkill, program.pid(), program.pid(), SIGSEGV);
        EXPECT_EQ(program.waitForExit(30000), std::optional<int>(-1)) << "killed by the signal";
        const auto found = filesEndingIn(reports, ".crash");
        EXPECT_EQ(found.size(), 1u);
        if (found.size() != 1) return std::nullopt;
        return CrashReport::parse(clicktrove::testing::readFile(found[0]));
    }
};

TEST_F(InstalledProgramCrashTest, TheProgramsOwnFramesGetFileAndLineFromTheDebugFileSplitOffByBuildId) {
    struct Case {
        const char* name;
        bool fromPackages;
    };
    for (const Case& c : {Case{"make install", false}, Case{"make package", true}}) {
        SCOPED_TRACE(c.name);
        const fs::path root = tempHome.root() / "root" / c.name;
        ASSERT_TRUE(c.fromPackages ? installPackages(root, tempHome.root() / "packages") : install(root));

        const fs::path binary = root / "usr/bin/clicktrove";
        const ElfFacts program = elfFacts(binary);
        ASSERT_GE(program.buildId.size(), 3u);
        EXPECT_TRUE(program.sections.count(".gnu_debuglink")) << "a debug link";
        EXPECT_FALSE(program.sections.count(".debug_info")) << "no debug information of its own";
        EXPECT_FALSE(program.sections.count(".symtab")) << "no symbol table of its own";
        const fs::path debugFile = root / "usr/lib/debug/.build-id" / program.buildId.substr(0, 2) /
                                   (program.buildId.substr(2) + ".debug");
        const ElfFacts debug = elfFacts(debugFile);
        EXPECT_EQ(debug.buildId, program.buildId) << debugFile;
        EXPECT_TRUE(debug.sections.count(".debug_line")) << debugFile;

        auto report = crash(binary);
        ASSERT_TRUE(report);
        ReportSymbolizer::symbolize(*report);
        const auto main = std::find_if(report->frames.begin(), report->frames.end(),
                                       [](const CrashReport::Frame& frame) { return frame.function == "main"; });
        ASSERT_NE(main, report->frames.end()) << report->serialize();
        ASSERT_TRUE(main->module);
        EXPECT_EQ(fs::path(report->modules[*main->module].path), fs::canonical(binary));
        EXPECT_EQ(fs::path(main->file).filename(), "main.cpp") << report->serialize();
        EXPECT_GT(main->line, 0);
        fs::remove_all(tempHome.stateHome() / "Clicktrove" / "crashes");
    }
}

}  // namespace
}  // namespace clicktrove::crash
