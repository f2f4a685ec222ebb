#include "services/history_manager.hpp"
#include "engine/model_json.hpp"
#include "rename_watch.hpp"
#include "services/history_csv.hpp"
#include "storage_fixture.hpp"

#include <gtest/gtest.h>
#include <limits>

using namespace clicktrove;
using clicktrove::testing::readFile;
using clicktrove::testing::renamesOnto;
using clicktrove::testing::writeFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class HistoryManagerTest : public clicktrove::testing::StorageFixture {
protected:
    std::unique_ptr<HistoryManager> start() {
        return std::make_unique<HistoryManager>(
            storage(), clock, [this](const platform::FileProblem& problem) { problems.push_back(problem); });
    }
    // What the managers reported about the history file.
    std::vector<platform::FileProblem> problems;
    int historyWrites() const { return renamesOnto(historyFile()); }
    std::vector<HistoryRecord> onDisk() {
        return fromJsonText<std::vector<HistoryRecord>>(readFile(historyFile())).value_or(std::vector<HistoryRecord>{});
    }
    // `count` records with 1..count clicks, the one of `count` clicks newest and first.
    std::vector<HistoryRecord> stored(int count) {
        std::vector<HistoryRecord> records;
        for (int i = count; i >= 1; --i) {
            records.emplace_back(clock.now() - std::chrono::minutes(count - i), i, 1.0, ClickType::left, 10.0);
        }
        return records;
    }
};

TEST_F(HistoryManagerTest, StartLoadsTheFileAndWritesItBack) {
    struct Case {
        const char* what;
        std::optional<std::string> contents;
        std::size_t loaded;
        bool keptAside;
    };
    const std::string unsorted =
        *toCompactJsonText(std::vector<HistoryRecord>{HistoryRecord(clock.now() - 1h, 1, 1, ClickType::left, 1),
                                                      HistoryRecord(clock.now(), 2, 2, ClickType::left, 2)});
    const std::vector<Case> cases = {
        {"no file", std::nullopt, 0, false},
        {"corrupt", "[{\"id\":1}", 0, true},
        {"150 records", *toCompactJsonText(stored(150)), 150, false},
        {"out of date order", unsorted, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(appFolder());
        restart();
        problems.clear();
        if (c.contents) writeFile(historyFile(), *c.contents);
        const int writes = historyWrites();
        const auto manager = start();
        EXPECT_EQ(manager->historyRecords().size(), c.loaded);
        EXPECT_EQ(onDisk(), manager->historyRecords());
        EXPECT_EQ(historyWrites(), writes + 1);
        EXPECT_EQ(folderEntries().size(), c.keptAside ? 2u : 1u);
        ASSERT_EQ(problems.size(), c.keptAside ? 1u : 0u);
        if (c.keptAside) {
            EXPECT_EQ(readFile(appFolder() / "history.json.unreadable-20260101T000000Z"), *c.contents);
            EXPECT_EQ(problems[0].keptAs, appFolder() / "history.json.unreadable-20260101T000000Z");
        }
    }
}

TEST_F(HistoryManagerTest, ARunWithoutClicksLeavesNoRecordAndWritesNothing) {
    const auto manager = start();
    manager->addRecord(5, ClickType::left, 1, 1);
    int changed = 0;
    QObject::connect(manager.get(), &HistoryManager::historyRecordsChanged, [&] { ++changed; });
    const int writes = historyWrites();
    for (const std::int64_t clicks : {std::int64_t{0}, std::int64_t{-1}, std::numeric_limits<std::int64_t>::min()}) {
        manager->addRecord(clicks, ClickType::right, 3, 4);
    }
    EXPECT_EQ(manager->historyRecords().size(), 1u);
    EXPECT_EQ(historyWrites(), writes);
    EXPECT_EQ(changed, 0);
}

TEST_F(HistoryManagerTest, ARecordGoesToTheFrontDatedNow) {
    writeFile(historyFile(), *toCompactJsonText(stored(2)));
    const auto manager = start();
    clock.advance(90s);
    manager->addRecord(1200, ClickType::doubleClick, 61.5, 51.34);
    const auto& records = manager->historyRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].date, clock.now());
    EXPECT_EQ(records[0].totalClicks, 1200);
    EXPECT_EQ(records[0].clickType, ClickType::doubleClick);
    EXPECT_EQ(records[0].duration, 61.5);
    EXPECT_EQ(records[0].averageIntervalMs, 51.34);
    EXPECT_EQ(records[1].totalClicks, 2);
    EXPECT_EQ(records[2].totalClicks, 1);
    EXPECT_EQ(onDisk(), records);
}

TEST_F(HistoryManagerTest, TheListIsCutToTheNewestHundredWithTwoWritesWhenItOverflows) {
    struct Case {
        int stored;
        int writes;
    };
    for (const auto& c : {Case{99, 1}, Case{100, 2}, Case{150, 2}}) {
        SCOPED_TRACE(c.stored);
        fs::remove_all(appFolder());
        restart();
        writeFile(historyFile(), *toCompactJsonText(stored(c.stored)));
        const auto manager = start();
        std::vector<std::size_t> sizesSeen;
        std::vector<std::size_t> sizesOnDiskAtSignal;
        QObject::connect(manager.get(), &HistoryManager::historyRecordsChanged, [&] {
            sizesSeen.push_back(manager->historyRecords().size());
            sizesOnDiskAtSignal.push_back(onDisk().size());
        });
        const int writes = historyWrites();

        manager->addRecord(1000, ClickType::scrollUp, 2, 3);

        const auto& records = manager->historyRecords();
        const std::size_t expected = std::min(c.stored + 1, 100);
        ASSERT_EQ(records.size(), expected);
        EXPECT_EQ(records[0].totalClicks, 1000);
        // The survivors are the newest stored records, still in order; the oldest are gone.
        for (std::size_t i = 1; i < records.size(); ++i)
            EXPECT_EQ(records[i].totalClicks, c.stored + 1 - std::int64_t(i));
        EXPECT_EQ(historyWrites(), writes + c.writes);
        EXPECT_EQ(onDisk(), records);
        if (c.writes == 2) {
            // First the whole list with the new record, then the cut one: the file held the long list in between.
            EXPECT_EQ(sizesSeen, (std::vector<std::size_t>{std::size_t(c.stored) + 1, 100}));
            EXPECT_EQ(sizesOnDiskAtSignal[1], std::size_t(c.stored) + 1);
        }
    }
}

TEST_F(HistoryManagerTest, ClearLogLeavesAnEmptyListAndAnEmptyArrayOnDisk) {
    writeFile(historyFile(), *toCompactJsonText(stored(3)));
    const auto manager = start();
    int changed = 0;
    QObject::connect(manager.get(), &HistoryManager::historyRecordsChanged, [&] { ++changed; });
    manager->clearHistory();
    EXPECT_TRUE(manager->historyRecords().empty());
    EXPECT_EQ(readFile(historyFile()), "[]");
    EXPECT_EQ(changed, 1);
}

// A record that does not reach the file is lost at the next start: the user hears of it, once per failing spell.
TEST_F(HistoryManagerTest, ASaveThatFailsIsToldOnceUntilASaveSucceedsAgain) {
    const auto history = start();
    ASSERT_TRUE(problems.empty());
    const double unwritable = std::numeric_limits<double>::quiet_NaN();
    history->addRecord(5, ClickType::left, unwritable, 10.0);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, platform::FileProblem::Kind::notSaved);
    EXPECT_EQ(problems[0].file, historyFile());
    EXPECT_FALSE(problems[0].reason.empty());
    history->addRecord(6, ClickType::left, 1.0, 10.0);
    EXPECT_EQ(problems.size(), 1u) << "still failing: told already";
    EXPECT_TRUE(onDisk().empty());

    history->clearHistory();
    EXPECT_EQ(problems.size(), 1u);
    history->addRecord(7, ClickType::left, unwritable, 10.0);
    EXPECT_EQ(problems.size(), 2u) << "a new spell after a save that worked";
}

TEST_F(HistoryManagerTest, ExportHandsTheCurrentListToTheCsvExport) {
    writeFile(historyFile(), *toCompactJsonText(stored(3)));
    const auto manager = start();
    const fs::path target = tempHome.home() / "click_history.csv";
    chooser.answer(target);
    chooser.answer(tempHome.home() / "second.csv");
    const auto exported = manager->historyRecords();

    manager->exportToCSV();
    manager->clearHistory();  // the export took its copy at the call
    manager->exportCSV();
    EXPECT_TRUE(chooser.requests().empty());
    queue.drain();

    ASSERT_EQ(chooser.requests().size(), 2u);
    EXPECT_EQ(readFile(target), HistoryCsv::text(exported));
    EXPECT_EQ(readFile(tempHome.home() / "second.csv"), HistoryCsv::text({}));
}
