// The settings suite file against the table of hostile files: read without waiting or running out of memory or
// stack, kept aside whole, and never written over when it cannot be kept.
#include "support/hostile_files.hpp"
#include "platform/file_user_defaults.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <filesystem>

using clicktrove::platform::FileProblem;
using clicktrove::platform::FileUserDefaults;
using clicktrove::testing::fingerprint;
using clicktrove::testing::HostileFile;
using clicktrove::testing::hostileFiles;
using clicktrove::testing::linkTarget;
using clicktrove::testing::TempHomeTest;
namespace fs = std::filesystem;

class HostileSuiteFileTest : public TempHomeTest {};

TEST_F(HostileSuiteFileTest, EachGivesItsOutcomeAndNothingIsDestroyed) {
    for (const HostileFile& row : hostileFiles()) {
        SCOPED_TRACE(row.name);
        const fs::path folder = tempHome.configHome() / row.name;
        const fs::path scratch = tempHome.root() / "elsewhere" / row.name;
        fs::create_directories(folder);
        const fs::path file = folder / "Clicktrove.json";
        row.plant(file, scratch);
        const std::string before = fingerprint(file);
        const std::string targetBefore = fingerprint(linkTarget(file));

        std::optional<FileProblem> problem;
        bool saved = false;
        clicktrove::testing::underConditions(row, file, tempHome.root(), [&] {
            FileUserDefaults suite("Clicktrove", folder);
            EXPECT_FALSE(suite.value("theme").has_value());
            problem = suite.readProblem();
            saved = suite.setValue("theme", "Dark");
            EXPECT_EQ(suite.value("theme"), "Dark") << "the process works on in memory either way";
        });

        switch (row.outcome) {
            case HostileFile::Outcome::keptAside:
                ASSERT_TRUE(problem.has_value());
                EXPECT_EQ(problem->kind, FileProblem::Kind::keptAside);
                EXPECT_EQ(problem->keptAs.parent_path(), folder);
                EXPECT_EQ(problem->keptAs.filename().string().rfind("Clicktrove.json.unreadable-", 0), 0u);
                EXPECT_EQ(fingerprint(problem->keptAs), before) << "kept whole, as it was";
                EXPECT_FALSE(problem->reason.empty());
                EXPECT_TRUE(saved);
                EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
                break;
            case HostileFile::Outcome::startsAfresh:
                EXPECT_FALSE(problem.has_value());
                EXPECT_TRUE(saved);
                EXPECT_EQ(fingerprint(file), before) << "the link stays and the file it names is written";
                EXPECT_TRUE(fs::is_regular_file(linkTarget(file)));
                break;
            case HostileFile::Outcome::leftAlone:
                ASSERT_TRUE(problem.has_value());
                EXPECT_EQ(problem->kind, FileProblem::Kind::notKept);
                EXPECT_FALSE(saved);
                EXPECT_EQ(fingerprint(file), before);
                EXPECT_EQ(fingerprint(linkTarget(file)), targetBefore) << "the file behind the link is untouched";
                break;
        }
        EXPECT_EQ(fingerprint("/dev/zero"), "character device");

        if (row.outcome != HostileFile::Outcome::leftAlone) {
            FileUserDefaults reopened("Clicktrove", folder);
            EXPECT_EQ(reopened.value("theme"), "Dark");
            EXPECT_FALSE(reopened.readProblem().has_value());
        }
    }
}
