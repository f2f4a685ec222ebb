// The Dashboard's geometry in both appearances, in a pinned font: what sits next to what and how far apart,
// where a long name is cut, and what keeps its size while the run changes.
#include "services/profile_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/dashboard/action_parameters_card.hpp"
#include "ui/dashboard/click_interval_card.hpp"
#include "ui/dashboard/dashboard_view.hpp"
#include "ui/dashboard/drag_drop_card.hpp"
#include "ui/dashboard/point_row.hpp"
#include "ui/dashboard/preset_header_card.hpp"
#include "ui/dashboard/run_bar.hpp"
#include "ui/dashboard/schedule_card.hpp"
#include "ui/dashboard/statistic_badges.hpp"
#include "ui/dashboard/target_location_card.hpp"
#include "ui/design/glass_card.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/shell/main_view.hpp"
#include "ui/shell/window_frame_placement.hpp"
#include "ui/support/pinned_look.hpp"
#include "ui/support/widget_input.hpp"
#include "ui/widgets/number_field.hpp"
#include "ui/widgets/switch_toggle.hpp"
#include "ui/widgets/themed_label.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

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

    // The card a card's content sits in, and a widget's place in window coordinates.
    static const QWidget* cardOf(const QWidget* content) { return content->parentWidget(); }
    QRect inWindow(const QWidget& widget) const { return {widget.mapTo(window.get(), QPoint(0, 0)), widget.size()}; }

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

// The pickers' text must fit the room the field gives it, not only the size the field asks for: every digit of
// the date and of the hour and minute shows.
TEST_F(DashboardLayoutTest, ScheduledTimesShowEveryCharacter) {
    vm->editConfig([](ClickConfig& c) {
        c.scheduledStartEnabled = true;
        c.scheduledStopEnabled = true;
    });
    ScheduleCard& card = *dashboard->scheduleCard();
    inEveryLook([&] {
        for (QDateTimeEdit* picker : {card.startPicker(), card.stopPicker()}) {
            SCOPED_TRACE(picker->objectName().toStdString());
            const QLineEdit* edit = picker->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            const QString text = edit->text();
            ASSERT_EQ(text.size(), 17) << text.toStdString();  // "2026-12-10  21:30"
            // What QLineEdit keeps for its text: its contents less the text margins and its own 2 points a side.
            const QMargins margins = edit->textMargins();
            const int room = edit->contentsRect().width() - margins.left() - margins.right() - 2 * 2;
            EXPECT_GE(room, edit->fontMetrics().horizontalAdvance(text)) << text.toStdString();
            const QRect inPicker(edit->mapTo(picker, QPoint(0, 0)), edit->size());
            EXPECT_TRUE(picker->rect().contains(inPicker));
        }
    });
}

// Measured from the name's own glyphs: the label's size hint follows its minimum width, so comparing the label
// with its hint cannot see a title held wide by an earlier, longer name.
TEST_F(DashboardLayoutTest, ModifiedBadgeStandsSixPointsAfterThePresetName) {
    PresetHeaderCard& header = *dashboard->presetHeader();
    // "Ab" follows a longer name and "Custom Configuration"; the long one is cut in the narrow window.
    for (const char* name : {"Gaming", "Evening raid with the long rotation", "Ab"}) {
        SCOPED_TRACE(name);
        vm->saveAsNewPreset(name);
        vm->editConfig([](ClickConfig& c) { ++c.intervalMinutes; });
        ASSERT_TRUE(header.isModifiedBadgeShown());
        inEveryLook([&] {
            const ThemedLabel& title = *header.titleLabel();
            if (title.isElided()) return;  // the narrow window cuts the long name; the next test covers that
            const int textEnd = title.mapTo(window.get(), title.contentsRect().topLeft()).x() +
                                title.fontMetrics().horizontalAdvance(title.text());
            const int badgeLeft = header.modifiedBadge()->mapTo(window.get(), QPoint(0, 0)).x();
            EXPECT_EQ(badgeLeft - textEnd, 6);
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

// The first launch on a 1366 x 768 laptop with a 28-point panel: the window, placed as it opens there, shows every
// card of the default configuration and the whole run column without scrolling; the setting cards stand in two
// columns from the top, the run's settings on the leading side.
TEST_F(DashboardLayoutTest, TheWindowsFirstSizeShowsTheWholeDashboardOnALaptopScreen) {
    const QRect laptop(0, 28, 1366, 740);
    const QRect placed = placeWindow(std::nullopt, {laptop}, 0, MainView::kPreferredSize, window->minimumSize());
    for (const AppTheme theme : {AppTheme::light, AppTheme::dark}) {
        for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            SCOPED_TRACE(QStringLiteral("%1, %2")
                             .arg(theme == AppTheme::dark ? "dark" : "light")
                             .arg(direction == Qt::LeftToRight ? "left to right" : "right to left")
                             .toStdString());
            vm->settingsManager().setTheme(theme);
            window->setLayoutDirection(direction);
            window->resize(placed.size());
            settle();
            ASSERT_EQ(window->size(), placed.size()) << "the window takes the size it opens at";

            const auto columns = dashboard->findChildren<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
            ASSERT_EQ(columns.size(), 2);
            for (const QScrollArea* column : columns) {
                EXPECT_EQ(column->verticalScrollBar()->maximum(), 0) << "nothing below the fold";
            }
            const QWidget* cards[] = {dashboard->presetHeaderCard(),
                                      cardOf(dashboard->clickIntervalCard()),
                                      cardOf(dashboard->actionParametersCard()),
                                      cardOf(dashboard->targetLocationCard()),
                                      cardOf(dashboard->dragDropCard()),
                                      cardOf(dashboard->scheduleCard()),
                                      dashboard->runBarCard()};
            for (const QWidget* card : cards) {
                EXPECT_TRUE(window->rect().contains(inWindow(*card))) << card->metaObject()->className();
            }

            const QRect interval = inWindow(*cardOf(dashboard->clickIntervalCard()));
            const QRect target = inWindow(*cardOf(dashboard->targetLocationCard()));
            const QRect drag = inWindow(*cardOf(dashboard->dragDropCard()));
            const QRect schedule = inWindow(*cardOf(dashboard->scheduleCard()));
            EXPECT_EQ(drag.top(), interval.top()) << "both columns start under the header";
            EXPECT_EQ(schedule.top(), drag.bottom() + 1 + 12);
            if (direction == Qt::LeftToRight) {
                EXPECT_GE(drag.left(), target.right() + 12) << "the drag and the schedule trail";
            } else {
                EXPECT_LE(drag.right(), target.left() - 12) << "the drag and the schedule trail";
            }
        }
    }
    window->setLayoutDirection(Qt::LeftToRight);
}

TEST_F(DashboardLayoutTest, ANarrowWindowStacksTheCardsInOneColumnInTheirOrder) {
    for (const AppTheme theme : {AppTheme::light, AppTheme::dark}) {
        SCOPED_TRACE(theme == AppTheme::dark ? "dark" : "light");
        vm->settingsManager().setTheme(theme);
        window->resize(MainView::kMinimumWidth, 900);
        settle();
        const QRect header = inWindow(*dashboard->presetHeaderCard());
        QRect above = header;
        for (const QWidget* content :
             {static_cast<QWidget*>(dashboard->clickIntervalCard()),
              static_cast<QWidget*>(dashboard->actionParametersCard()),
              static_cast<QWidget*>(dashboard->targetLocationCard()), static_cast<QWidget*>(dashboard->dragDropCard()),
              static_cast<QWidget*>(dashboard->scheduleCard())}) {
            const QRect card = inWindow(*cardOf(content));
            EXPECT_EQ(card.top(), above.bottom() + 1 + 12) << content->metaObject()->className();
            EXPECT_NEAR(card.center().x(), header.center().x(), 1) << "centred under the header";
            above = card;
        }
        EXPECT_EQ(above.width(), header.width()) << "a full-width card fills the column";
    }
}

// The Start button fills the run bar's width and ends at its bottom: its purple shadow must still spread onto the
// card around it rather than stop at the bar's edges.
TEST_F(DashboardLayoutTest, TheStartButtonsShadowSpreadsBeyondTheRunBar) {
    inEveryLook([&] {
        GlassCard& card = *dashboard->runBarCard();
        const QWidget& start = *dashboard->runBar()->startButton();
        const QImage image = card.grab().toImage();
        const QRect button(start.mapTo(&card, QPoint(0, 0)), start.size());
        const QColor surface = image.pixelColor(card.width() / 2, 3);  // the card's own padding, far from it
        const auto purpleTint = [&](QPoint at) {
            const QColor c = image.pixelColor(at);
            // The purple shadow moves the surface towards blue away from green, on a light card and a dark one.
            return (c.blue() - c.green()) - (surface.blue() - surface.green()) >= 8;
        };
        EXPECT_TRUE(purpleTint({button.center().x(), button.bottom() + 5})) << "below the button";
        EXPECT_TRUE(purpleTint({button.left() - 3, button.center().y() + 4})) << "beside the button";
    });
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
