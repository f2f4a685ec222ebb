#include "platform/file_user_defaults.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <filesystem>
#include <thread>
#include <vector>

using clicktrove::platform::FileUserDefaults;
using clicktrove::testing::readFile;
using clicktrove::testing::TempHomeTest;
using clicktrove::testing::writeFile;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {
std::vector<fs::path> unreadableCopies(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().filename().string().find(".unreadable-") != std::string::npos) found.push_back(e.path());
    }
    return found;
}
}  // namespace

class FileUserDefaultsTest : public TempHomeTest {
protected:
    fs::path folder() const { return tempHome.configHome() / "Clicktrove"; }
};

TEST_F(FileUserDefaultsTest, ValuesSurviveANewInstanceAndLiveInTheSuiteFile) {
    {
        FileUserDefaults defaults("com.example.suite", folder());
        defaults.setValue("text", "Grüße \"quoted\"");
        defaults.setValue("number", 0.5);
        defaults.setValue("record", json{{"a", json::array({1, 2})}});
        defaults.setValue("gone", true);
        defaults.removeValue("gone");
    }
    ASSERT_TRUE(fs::exists(folder() / "com.example.suite.json"));
    const auto onDisk = json::parse(readFile(folder() / "com.example.suite.json"));
    EXPECT_EQ(onDisk, (json{{"text", "Grüße \"quoted\""}, {"number", 0.5}, {"record", {{"a", {1, 2}}}}}));

    FileUserDefaults reopened("com.example.suite", folder());
    EXPECT_EQ(reopened.string("text"), "Grüße \"quoted\"");
    EXPECT_EQ(reopened.number("number"), 0.5);
    EXPECT_FALSE(reopened.value("gone"));
    EXPECT_FALSE(reopened.boolean("text")) << "typed reads of another type give nothing";
}

TEST_F(FileUserDefaultsTest, StandardAndNamedSuitesAreSeparateFilesUnderTheConfigHome) {
    auto standard = FileUserDefaults::standard();
    auto again = FileUserDefaults::standard();
    auto other = FileUserDefaults::suite("com.example.private");
    EXPECT_EQ(standard.get(), again.get()) << "one instance per file, so concurrent writers never race";
    standard->setValue("key", "standard");
    other->setValue("key", "private");
    EXPECT_EQ(json::parse(readFile(folder() / "Clicktrove.json"))["key"], "standard");
    EXPECT_EQ(json::parse(readFile(folder() / "com.example.private.json"))["key"], "private");
}

TEST_F(FileUserDefaultsTest, SuiteNamesCannotLeaveTheFolder) {
    FileUserDefaults defaults("../escape/x", folder());
    defaults.setValue("k", 1);
    EXPECT_EQ(defaults.path().parent_path(), folder());
    EXPECT_TRUE(fs::exists(defaults.path()));
    EXPECT_FALSE(fs::exists(tempHome.configHome() / "escape"));
}

TEST_F(FileUserDefaultsTest, UnreadableFileIsKeptAsideAtTheFirstReadAndReportedForTheSuitesLife) {
    struct Case {
        const char* name;
        std::string contents;
    };
    const Case cases[] = {{"truncated", "{\"key\": \"val"},
                          {"not an object", "[1, 2]"},
                          {"binary", "\x01\xff\xfe"},
                          {"nested too deep", "{\"key\": " + std::string(300, '[') + std::string(300, ']') + "}"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder());
        writeFile(folder() / "Clicktrove.json", c.contents);
        FileUserDefaults defaults("Clicktrove", folder());
        EXPECT_FALSE(defaults.value("key"));
        const auto copies = unreadableCopies(folder());
        ASSERT_EQ(copies.size(), 1u) << "kept at once, so the next start does not meet it again";
        EXPECT_EQ(readFile(copies[0]), c.contents);
        EXPECT_EQ(copies[0].filename().string().rfind("Clicktrove.json.unreadable-", 0), 0u);
        EXPECT_FALSE(fs::exists(folder() / "Clicktrove.json"));
        const auto problem = defaults.readProblem();
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->kind, clicktrove::platform::FileProblem::Kind::keptAside);
        EXPECT_EQ(problem->keptAs, copies[0]);

        EXPECT_TRUE(defaults.setValue("fresh", 1));
        EXPECT_EQ(json::parse(readFile(folder() / "Clicktrove.json")), (json{{"fresh", 1}}));
        EXPECT_TRUE(defaults.setValue("fresh", 2));
        EXPECT_EQ(unreadableCopies(folder()).size(), 1u) << "only the unreadable original is kept";
        EXPECT_TRUE(defaults.readProblem().has_value()) << "still known after writes succeeded";
        EXPECT_FALSE(defaults.writeProblem().has_value());
    }
}

TEST_F(FileUserDefaultsTest, TheFileGrowsWithItsValuesNotWithTheirDepth) {
    // Indenting every level, as a pretty printer does, would make this value alone about 65 KB of spaces.
    const json deep = json::parse(std::string(255, '[') + std::string(255, ']'));
    {
        FileUserDefaults defaults("Clicktrove", folder());
        ASSERT_TRUE(defaults.setValue("deep", deep));
        ASSERT_TRUE(defaults.setValue("text", "value"));
    }
    const std::string text = readFile(folder() / "Clicktrove.json");
    EXPECT_LT(text.size(), 600u);
    EXPECT_EQ(text, "{\n  \"deep\": " + deep.dump() + ",\n  \"text\": \"value\"\n}\n") << "one member per line";
    FileUserDefaults reopened("Clicktrove", folder());
    EXPECT_EQ(reopened.value("deep"), deep) << "the deepest value a suite may hold reads back";
}

TEST_F(FileUserDefaultsTest, AFailedWriteIsReportedUntilAWriteSucceeds) {
    FileUserDefaults defaults("Clicktrove", folder());
    ASSERT_TRUE(defaults.setValue("key", 1));
    // A folder in the file's place: no save can replace it, not even as root.
    fs::remove(folder() / "Clicktrove.json");
    writeFile(folder() / "Clicktrove.json" / "in-the-way", "x");
    EXPECT_FALSE(defaults.setValue("key", 2));
    EXPECT_EQ(defaults.integer("key"), 2) << "the process keeps the value";
    const auto problem = defaults.writeProblem();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->kind, clicktrove::platform::FileProblem::Kind::notSaved);
    EXPECT_EQ(problem->file, folder() / "Clicktrove.json");

    fs::remove_all(folder() / "Clicktrove.json");
    EXPECT_TRUE(defaults.setValue("key", 3));
    EXPECT_FALSE(defaults.writeProblem().has_value());
    EXPECT_EQ(json::parse(readFile(folder() / "Clicktrove.json")), (json{{"key", 3}}));
}

TEST_F(FileUserDefaultsTest, ConcurrentWritersFromSeveralThreadsLoseNothing) {
    auto defaults = FileUserDefaults::suite("threads");
    constexpr int threads = 4;
    constexpr int perThread = 25;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                std::string key = std::to_string(t);
                key.append("_").append(std::to_string(i));
                defaults->setValue(key, i);
                EXPECT_EQ(defaults->integer(key), i);
            }
        });
    }
    for (auto& w : workers) w.join();
    const auto onDisk = json::parse(readFile(folder() / "threads.json"));
    EXPECT_EQ(onDisk.size(), static_cast<std::size_t>(threads * perThread));
}
