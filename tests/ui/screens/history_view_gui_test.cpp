#include "ui/screens/history_view.hpp"

#include "services/history_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/history_row.hpp"
#include "ui/screens/history_stat_chip.hpp"

#include <gtest/gtest.h>
#include <QLabel>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>

namespace clicktrove::testing {
namespace {

TEST(HistoryViewText, DurationIsWholeMinutesAndSeconds) {
    const std::vector<std::pair<double, const char*>> cases = {
        {0, "0s"},        {59.9, "59s"}, {60, "1m 0s"},    {125.9, "2m 5s"},
        {3725, "62m 5s"}, {NAN, "0s"},   {INFINITY, "0s"}, {-0.5, "0s"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(HistoryView::durationText(seconds), QString::fromLatin1(text)) << seconds;
    }
    // Far outside the model: some text, never a crash.
    EXPECT_FALSE(HistoryView::durationText(1e300).isEmpty());
}

TEST(HistoryViewText, AverageSpeedIsClicksPerSecondWithOneDecimal) {
    const std::vector<std::pair<double, const char*>> cases = {
        {100, "10.0 CPS"}, {3, "333.3 CPS"}, {0, "0.0 CPS"}, {-5, "0.0 CPS"}, {NAN, "0.0 CPS"}, {1000, "1.0 CPS"},
    };
    for (const auto& [interval, text] : cases) {
        EXPECT_EQ(HistoryView::averageSpeedText(interval), QString::fromLatin1(text)) << interval;
    }
    EXPECT_EQ(HistoryView::countLine(1), QStringLiteral("1 recorded sessions"));
}

// The short date and the medium time, in the sandbox's locale (C.UTF-8, which ICU reads as en_US_POSIX) and
// time zone (UTC): seconds shown, the year in two digits; the other way round would show the month's name and no
// seconds.
TEST(HistoryViewText, DatesShowTheShortDateAndTheMediumTime) {
    const struct {
        std::int64_t secondsSince1970;
        const char* text;
    } cases[] = {
        {1'700'000'000, "11/14/23, 10:13:20\u202FPM"},
        {1'704'067'199, "12/31/23, 11:59:59\u202FPM"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HistoryView::dateText(Date(std::chrono::seconds(c.secondsSince1970))), QString::fromUtf8(c.text));
    }
}

class HistoryViewTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        view = std::make_unique<HistoryView>(*vm);
        view->resize(760, 600);
    }

    HistoryManager& history() { return vm->historyManager(); }

    // Newest first, as the manager keeps them.
    void useRecords() {
        const Date now = rig.clock.now();
        history().setHistoryRecords({
            HistoryRecord(now, 1234, 125.9, ClickType::holdMiddle, 100),
            HistoryRecord(now - std::chrono::hours(1), 7, 3725, ClickType::right, 3),
            HistoryRecord(now - std::chrono::hours(2), 1, 0.2, ClickType::left, 0),
        });
    }

    std::unique_ptr<HistoryView> view;
};

TEST_F(HistoryViewTest, EmptyHistoryShowsTheEmptyStateWithDimmedDisabledActions) {
    history().setHistoryRecords({});
    EXPECT_TRUE(view->isShowingEmptyState());
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("0 recorded sessions"));
    EXPECT_FALSE(view->clearButton()->isEnabled());
    EXPECT_FALSE(view->exportButton()->isEnabled());
    EXPECT_DOUBLE_EQ(view->headerButtonOpacity(), 0.4);
    EXPECT_DOUBLE_EQ(view->exportButton()->dimming(), 0.4);
    EXPECT_DOUBLE_EQ(view->clearButton()->dimming(), 0.4);
    EXPECT_EQ(view->exportButton()->shadowUnderlay()->shadow().color.alpha(), 0) << "a faded button casts no shadow";

    useRecords();
    EXPECT_FALSE(view->isShowingEmptyState());
    EXPECT_TRUE(view->clearButton()->isEnabled());
    EXPECT_TRUE(view->exportButton()->isEnabled());
    EXPECT_DOUBLE_EQ(view->headerButtonOpacity(), 1.0);
    EXPECT_DOUBLE_EQ(view->exportButton()->dimming(), 1.0);
    EXPECT_GT(view->exportButton()->shadowUnderlay()->shadow().color.alpha(), 0);

    // The enabled button is drawn: inside its edge shows the accent fill, not the header behind it.
    QWidget* button = view->exportButton();
    const QImage shot = view->grab().toImage();
    const QPoint inside = button->mapTo(view.get(), QPoint(6, button->height() / 2)) * shot.devicePixelRatio();
    EXPECT_GT(shot.pixelColor(inside).hsvSaturation(), 100) << "Export CSV is not painted";
}

TEST_F(HistoryViewTest, RowsAreNumberedDownFromTheNewestWithTheirFigures) {
    useRecords();
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("3 recorded sessions"));
    const auto rows = view->rows();
    ASSERT_EQ(rows.size(), 3);
    struct Expected {
        const char* number;
        const char* clicks;
        const char* duration;
        const char* speed;
        const char* type;
    };
    const Expected expected[] = {
        {"#3", "1234", "2m 5s", "10.0 CPS", "Hold Middle Button"},
        {"#2", "7", "62m 5s", "333.3 CPS", "Right Click"},
        {"#1", "1", "0s", "0.0 CPS", "Left Click"},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto chips = rows[i]->chips();
        ASSERT_EQ(chips.size(), 3);
        EXPECT_EQ(rows[i]->numberText(), QString::fromLatin1(expected[i].number));
        EXPECT_EQ(chips[0]->value(), QString::fromLatin1(expected[i].clicks));
        EXPECT_EQ(chips[1]->value(), QString::fromLatin1(expected[i].duration));
        EXPECT_EQ(chips[2]->value(), QString::fromLatin1(expected[i].speed));
        EXPECT_EQ(chips[0]->caption(), QStringLiteral("clicks"));
        EXPECT_EQ(chips[1]->caption(), QStringLiteral("duration"));
        EXPECT_EQ(chips[2]->caption(), QStringLiteral("avg speed"));
        EXPECT_EQ(rows[i]->clickTypeText(), QString::fromLatin1(expected[i].type));
        EXPECT_EQ(rows[i]->dateText(), HistoryView::dateText(rows[i]->record().date));
        EXPECT_FALSE(rows[i]->dateText().isEmpty());
    }

    // A run that ends adds its record on top, numbered highest.
    history().addRecord(5, ClickType::scrollUp, 1, 200);
    ASSERT_EQ(view->rows().size(), 4);
    EXPECT_EQ(view->rows()[0]->numberText(), QStringLiteral("#4"));
    EXPECT_EQ(view->rows()[0]->clickTypeText(), QStringLiteral("Scroll Up"));
}

TEST_F(HistoryViewTest, ClearLogEmptiesTheHistoryFileWithoutAsking) {
    useRecords();
    view->clearButton()->click();
    EXPECT_TRUE(history().historyRecords().empty());
    EXPECT_TRUE(view->isShowingEmptyState());
    EXPECT_EQ(readFile(rig.appFolder() / StorageManager::kHistoryFileName), "[]");
}

TEST_F(HistoryViewTest, ExportCsvWritesTheListInItsOrder) {
    useRecords();
    const auto out = rig.home.root() / "history.csv";
    rig.chooser.answer(out);
    view->exportButton()->click();
    rig.drain();
    std::istringstream csv(readFile(out));
    std::vector<std::string> lines;
    for (std::string line; std::getline(csv, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Date,Total Clicks,Duration (s),Click Type,Average Interval (ms)");
    // The number formats are the export's own business; the screen hands over the list in its order.
    EXPECT_NE(lines[1].find(",1234,125.9"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\"Hold Middle Button\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[3].find("\"Left Click\""), std::string::npos) << lines[3];
}

TEST_F(HistoryViewTest, AnExportThatFailsIsToldAsAFailure) {
    useRecords();
    rig.chooser.answer(rig.home.root() / "missing" / "history.csv");
    view->exportButton()->click();
    rig.drain();
    EXPECT_EQ(vm->toastText(),
              QStringLiteral("Could not export to 'history.csv': ") + QString::fromUtf8(std::strerror(ENOENT)));
    EXPECT_TRUE(vm->toastIsFailure());
}

TEST_F(HistoryViewTest, FollowsTheAccentColour) {
    useRecords();
    vm->settingsManager().setAccentColor(AccentThemeColor::pink);
    EXPECT_EQ(view->exportButton()->gradient(), ThemeGradient::accent(AccentThemeColor::pink));
}

}  // namespace
}  // namespace clicktrove::testing
