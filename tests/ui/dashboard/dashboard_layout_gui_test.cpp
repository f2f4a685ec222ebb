// The Dashboard's geometry in both appearances, in a pinned font: what sits next to what and how far apart,
// where a long name is cut, and what keeps its size while the run changes.
#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/dashboard/dashboard_view.hpp"
#include "ui/dashboard/drag_drop_card.hpp"
#include "ui/dashboard/point_row.hpp"
#include "ui/dashboard/preset_header_card.hpp"
#include "ui/dashboard/run_bar.hpp"
#include "ui/dashboard/statistic_badges.hpp"
#include "ui/design/glass_card.hpp"
#include "ui/shell/main_view.hpp"
#include "ui/shell/sidebar_view.hpp"
#include "ui/support/pinned_look.hpp"
#include "ui/support/widget_input.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/switch_toggle.hpp"
#include "ui/widgets/themed_label.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

class DashboardLayoutTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        ASSERT_TRUE(PinnedFont::isAvailable()) << "the test dependencies install DejaVu Sans";
        window = std::make_unique<MainView>(*vm, ScreenFactory{});
        window->show();
        dashboard = window->dashboard();
        ASSERT_NE(dashboard, nullptr);
    }

    // Each level of the layout posts its request to the next one up.
    static void settle() {
        for (int level = 0; level < 12; ++level) QCoreApplication::sendPostedEvents();
    }

    // Runs check in every appearance and at a narrow and a wide window, the two ends the defects showed at.
    template <class F>
    void inEveryLook(F&& check) {
        for (const AppTheme theme : {AppTheme::light, AppTheme::dark}) {
            vm->settingsManager().setTheme(theme);
            for (const int width : {MainView::kMinimumWidth, 1400}) {
                SCOPED_TRACE(QStringLiteral("%1, %2 wide")
                                 .arg(theme == AppTheme::dark ? "dark" : "light")
                                 .arg(width)
                                 .toStdString());
                window->resize(width, 900);
                settle();
                check();
            }
        }
    }

    // The horizontal gap from a to b in window coordinates: b's left edge less a's right edge.
    int gap(const QWidget& a, const QWidget& b) const {
        const int aRight = a.mapTo(window.get(), QPoint(a.width(), 0)).x();
        return b.mapTo(window.get(), QPoint(0, 0)).x() - aRight;
    }

    PinnedFont font;
    PinnedTheme theme{AppTheme::light};
    std::unique_ptr<MainView> window;
    DashboardView* dashboard = nullptr;
};

TEST_F(DashboardLayoutTest, PointRowLettersStandSixPointsBeforeTheirFields) {
    DragDropCard& card = *dashboard->dragDropCard();
    card.enableToggle()->click();
    inEveryLook([&] {
        for (const PointRow* row : {card.startRow(), card.endRow()}) {
            const auto* x = row->findChild<QLabel*>(QStringLiteral("XCaption"));
            const auto* y = row->findChild<QLabel*>(QStringLiteral("YCaption"));
            ASSERT_TRUE(x && y);
            EXPECT_EQ(x->width(), x->sizeHint().width()) << "the letter takes no slack";
            EXPECT_EQ(gap(*x, *row->xField()), 6);
            EXPECT_EQ(gap(*row->xField(), *y), 6);
            EXPECT_EQ(gap(*y, *row->yField()), 6);
            EXPECT_EQ(row->xField()->width(), 64);
        }
    });
}

TEST_F(DashboardLayoutTest, FractionalValuesShowWithTheirDecimals) {
    vm->editConfig([](ClickConfig& c) {
        c.isDragEnabled = true;
        c.dragDuration = 1.5;
        c.dragStartPoint = {512.25, -40};
    });
    DragDropCard& card = *dashboard->dragDropCard();
    EXPECT_EQ(card.durationField()->text(), "1.5");
    EXPECT_EQ(card.startRow()->xField()->text(), "512.25");
    EXPECT_EQ(card.startRow()->yField()->text(), "-40");
}

TEST_F(DashboardLayoutTest, ModifiedBadgeStandsSixPointsAfterThePresetName) {
    PresetHeaderCard& header = *dashboard->presetHeader();
    for (const char* name : {"Gaming", "Evening raid with the long rotation"}) {
        SCOPED_TRACE(name);
        vm->saveAsNewPreset(name);
        vm->editConfig([](ClickConfig& c) { ++c.intervalMinutes; });
        ASSERT_TRUE(header.isModifiedBadgeShown());
        inEveryLook([&] {
            const ThemedLabel& title = *header.titleLabel();
            if (title.isElided()) return;  // the narrow window cuts the long name; the next test covers that
            EXPECT_EQ(title.width(), title.sizeHint().width()) << "the title is as wide as its text";
            EXPECT_EQ(gap(title, *header.modifiedBadge()), 6);
        });
        window->resize(1400, 900);
        settle();
        EXPECT_FALSE(header.titleLabel()->isElided()) << "a wide window shows the whole name";
    }
}

TEST_F(DashboardLayoutTest, ALongPresetNameIsCutWithAnEllipsisAndShownWholeInItsTooltip) {
    const std::string name(200, 'W');
    vm->saveAsNewPreset(name);
    vm->editConfig([](ClickConfig& c) { ++c.intervalMinutes; });
    PresetHeaderCard& header = *dashboard->presetHeader();
    inEveryLook([&] {
        const ThemedLabel& title = *header.titleLabel();
        EXPECT_TRUE(title.isElided());
        EXPECT_TRUE(title.shownText().endsWith(QStringLiteral("…")));
        EXPECT_LE(title.fontMetrics().horizontalAdvance(title.shownText()), title.contentsRect().width());
        EXPECT_EQ(title.toolTip(), QString::fromStdString(name));
        // The badge follows the cut text as closely as whole characters allow, and stays inside the card.
        const int textEnd = title.mapTo(window.get(), title.contentsRect().topLeft()).x() +
                            title.fontMetrics().horizontalAdvance(title.shownText());
        const int badgeLeft = header.modifiedBadge()->mapTo(window.get(), QPoint(0, 0)).x();
        EXPECT_GE(badgeLeft - textEnd, 6);
        EXPECT_LE(badgeLeft - textEnd, 6 + title.fontMetrics().horizontalAdvance(QLatin1Char('W')));
        const QWidget& card = *dashboard->presetHeaderCard();
        const int badgeRight = header.modifiedBadge()->mapTo(&card, QPoint(header.modifiedBadge()->width(), 0)).x();
        EXPECT_LE(badgeRight, card.width());
    });
    vm->saveAsNewPreset("Short");
    settle();
    EXPECT_FALSE(header.titleLabel()->isElided());
    EXPECT_TRUE(header.titleLabel()->toolTip().isEmpty()) << "a name shown whole needs no tooltip";
}

TEST_F(DashboardLayoutTest, TheWindowsFirstSizeHoldsTheWholeDefaultDashboard) {
    // What each column needs, cards and padding, in the default configuration.
    const auto columns = dashboard->findChildren<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(columns.size(), 2);
    int width = SidebarView::kWidth + 1;
    for (const QScrollArea* column : columns) {
        const QSize needed = column->widget()->sizeHint();
        width += std::max(needed.width(), column->minimumWidth());
        EXPECT_LE(needed.height(), MainView::kPreferredSize.height());
    }
    EXPECT_LE(width, MainView::kPreferredSize.width());
}

TEST_F(DashboardLayoutTest, RunBarKeepsItsHeightWhenPauseBecomesResume) {
    vm->setConfig(quickConfig());
    window->resize(1100, 900);
    QWidget& card = *dashboard->runBarCard();
    startAndPassCountdown();
    settle();
    ASSERT_TRUE(vm->isRunning());
    const int running = card.height();
    const int tilesAt = dashboard->statistics()->mapTo(window.get(), QPoint(0, 0)).y();
    vm->pauseClicking();
    settle();
    ASSERT_TRUE(vm->isPaused());
    EXPECT_EQ(card.height(), running);
    EXPECT_EQ(dashboard->statistics()->mapTo(window.get(), QPoint(0, 0)).y(), tilesAt) << "the tiles stay put";
    vm->resumeClicking();
    settle();
    EXPECT_EQ(card.height(), running);
    vm->stopClicking();
}

}  // namespace
}  // namespace clicktrove::testing
