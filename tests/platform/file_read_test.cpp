#include "platform/file_read.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>

using clicktrove::platform::FileRead;
using clicktrove::platform::readRegularFile;
using clicktrove::testing::TempHomeTest;
using clicktrove::testing::writeFile;
namespace fs = std::filesystem;
using Status = FileRead::Status;

class FileReadTest : public TempHomeTest {};

TEST_F(FileReadTest, ReadsRegularFilesWithinTheLimitAndNothingElse) {
    const fs::path root = tempHome.root();
    const std::string bytes = std::string("a\0b", 3) + std::string(200000, 'x');
    writeFile(root / "data.bin", bytes);
    writeFile(root / "limit.bin", std::string(1000, 'y'));
    writeFile(root / "over.bin", std::string(1001, 'y'));
    ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", root / "zero");
    fs::create_symlink(root / "data.bin", root / "link");
    fs::create_symlink(root / "nowhere", root / "dangling");
    fs::create_symlink("loop", root / "loop");
    writeFile(root / "file-not-folder", "x");

    const struct {
        const char* name;
        fs::path path;
        std::size_t limit;
        Status status;
        std::string contents;
    } cases[] = {
        {"a regular file", root / "data.bin", 1 << 20, Status::read, bytes},
        {"through a link", root / "link", 1 << 20, Status::read, bytes},
        {"exactly at the limit", root / "limit.bin", 1000, Status::read, std::string(1000, 'y')},
        {"one byte over the limit", root / "over.bin", 1000, Status::unreadable, ""},
        {"a FIFO, without waiting for a writer", root / "fifo", 1 << 20, Status::unreadable, ""},
        {"a link to /dev/zero, without reading it", root / "zero", 1 << 20, Status::unreadable, ""},
        {"a folder", root, 1 << 20, Status::unreadable, ""},
        {"a link to itself", root / "loop", 1 << 20, Status::unreadable, ""},
        {"nothing there", root / "missing", 1 << 20, Status::missing, ""},
        {"a dangling link", root / "dangling", 1 << 20, Status::missing, ""},
        {"below a file", root / "file-not-folder" / "x.json", 1 << 20, Status::missing, ""},
        // A file of the kernel's that reports a size of 0 and is read to its end all the same.
        {"a /proc file", "/proc/self/status", 1 << 20, Status::read, "*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FileRead read = readRegularFile(c.path, c.limit);
        EXPECT_EQ(read.status, c.status);
        if (c.contents == "*") {
            EXPECT_NE(read.contents.find("Pid:"), std::string::npos);
        } else {
            EXPECT_EQ(read.contents, c.contents);
        }
        EXPECT_EQ(read.reason.empty(), c.status != Status::unreadable) << read.reason;
    }
    EXPECT_EQ(readRegularFile(root / "over.bin", 1000).reason, "larger than 1000 bytes");
    EXPECT_EQ(readRegularFile(root / "fifo").reason, "not a regular file");
}

TEST_F(FileReadTest, TheDefaultLimitIs64MiB) {
    const fs::path big = tempHome.root() / "big";
    writeFile(big, "");
    fs::resize_file(big, clicktrove::platform::kMaxDataFileBytes);
    EXPECT_TRUE(readRegularFile(big).ok());
    fs::resize_file(big, clicktrove::platform::kMaxDataFileBytes + 1);
    const FileRead over = readRegularFile(big);
    EXPECT_EQ(over.status, Status::unreadable);
    EXPECT_EQ(over.reason, "larger than 64 MiB");
}
