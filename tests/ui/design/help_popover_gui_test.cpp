// The help popover points at the button it belongs to: under the button with the pointer up, above it with the
// pointer down where the screen has no room below, and with the pointer kept clear of the bubble's corners
// when the button sits near a screen edge.
#include "ui/design/help_popover.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_section_header.hpp"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <memory>

namespace clicktrove {
namespace {

TEST(HelpPopover, PointsAtItsButtonFromBelowOrAbove) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* where;
        QPoint windowAt;
        bool pointsUp;
    } cases[] = {
        {"top left", screen.topLeft() + QPoint(0, 0), true},
        {"middle", screen.center() - QPoint(100, 40), true},
        {"bottom right", screen.bottomRight() - QPoint(199, 39), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        QWidget window;
        auto* row = new QHBoxLayout(&window);
        auto* header = new VaqSectionHeader("clock.fill", "Click Interval", ThemeColors::cyan(), QString("Help"));
        row->addWidget(header);
        window.resize(200, 40);
        window.move(c.windowAt);
        window.show();
        QApplication::processEvents();
        header->setInfoShown(true);
        auto* popover = qobject_cast<HelpPopover*>(header->infoPopover());
        ASSERT_NE(popover, nullptr);
        EXPECT_EQ(popover->width(), HelpPopover::kWidth);
        EXPECT_EQ(popover->pointsUp(), c.pointsUp);

        const QAbstractButton& button = *header->infoButton();
        const QRect buttonOnScreen(button.mapToGlobal(QPoint(0, 0)), button.size());
        const QPointF tip = QPointF(popover->mapToGlobal(QPoint(0, 0))) + popover->pointerTip();
        const qreal corner = HelpPopover::kCornerRadius + HelpPopover::kPointerWidth / 2.0;
        const qreal tipX = popover->pointerTip().x();
        EXPECT_GE(tipX, corner);
        EXPECT_LE(tipX, HelpPopover::kWidth - corner);
        if (tipX > corner && tipX < HelpPopover::kWidth - corner) {
            EXPECT_NEAR(tip.x(), buttonOnScreen.left() + buttonOnScreen.width() / 2.0, 0.51) << "under its centre";
        }
        if (c.pointsUp) {
            EXPECT_NEAR(tip.y(), buttonOnScreen.bottom() + 1, 3.0) << "just under the button";
            EXPECT_EQ(popover->bubbleRect().top(), HelpPopover::kPointerHeight);
        } else {
            EXPECT_NEAR(tip.y(), buttonOnScreen.top(), 3.0) << "just above the button";
            EXPECT_EQ(popover->bubbleRect().bottom(), popover->height() - HelpPopover::kPointerHeight);
        }
        EXPECT_TRUE(screen.contains(popover->geometry())) << "on the screen";
        header->setInfoShown(false);
    }
}

}  // namespace
}  // namespace clicktrove
