// Keyboard focus shows on every custom control: Tab to it and a ring in the window's accent (white on the filled
// ones) runs along its edge; focused by a click, or not focused, it shows none. Both themes.
#include "ui/dashboard/position_option_button.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/about_link_card.hpp"
#include "ui/screens/accent_swatch.hpp"
#include "ui/screens/theme_chip.hpp"
#include "ui/shell/sidebar_tab_row.hpp"
#include "ui/support/pinned_look.hpp"
#include "ui/support/widget_events.hpp"
#include "ui/widgets/info_helper_button.hpp"
#include "ui/widgets/ringed_buttons.hpp"
#include "ui/widgets/switch_toggle.hpp"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <functional>
#include <memory>

namespace clicktrove::testing {
namespace {

// An accent no control uses for anything else, so a pixel of it is the ring.
const QColor kAccent(255, 0, 170);

bool near(const QColor& a, const QColor& b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

struct ControlCase {
    const char* name;
    std::function<QWidget*()> make;
    // Where the ring passes, in the control's coordinates.
    std::function<QPoint(const QWidget&)> ringPoint;
    // Filled controls ring in white.
    bool onFill = false;
    // The ring's colour when it is not the accent.
    std::function<QColor()> colour = [] { return kAccent; };
};

QPoint topMiddle(const QWidget& w) {
    return {w.width() / 2, 1};
}

const std::vector<ControlCase>& controls() {
    static const std::vector<ControlCase> cases{
        {"primary button", [] { return new VaqPrimaryButton("Start", "play.fill", ThemeGradient::vaqGreen(), {}); },
         [](const QWidget& w) { return QPoint(w.width() / 2, 2); }, true},
        {"ghost button", [] { return new VaqGhostButton("Pause", "pause.fill", ThemeColors::amber(), {}); }, topMiddle},
        {"switch, off", [] { return new SwitchToggle; }, topMiddle},
        {"switch, on",
         [] {
             auto* toggle = new SwitchToggle;
             toggle->setChecked(true);
             return toggle;
         },
         [](const QWidget& w) { return QPoint(w.width() / 2, 2); }, true},
        {"sidebar row", [] { return new SidebarTabRow(MainViewTab::history); }, topMiddle},
        {"theme chip", [] { return new ThemeChip(AppTheme::light); }, topMiddle},
        // The swatch is an accent itself: its ring is in the text colour, around the colour.
        {"accent swatch", [] { return new AccentSwatch(AccentThemeColor::green); }, topMiddle, false,
         [] { return ThemeColors::textPrimary(ThemeAppearance::instance().isDark()); }},
        {"link card",
         [] { return new AboutLinkCard(Qt::gray, "globe", "Portfolio", "example.org", QUrl("https://example.org")); },
         [](const QWidget& w) { return QPoint(w.width() / 2, 2); }},
        {"target option", [] { return new PositionOptionButton("Fixed Position"); }, topMiddle},
        {"info button", [] { return new InfoHelperButton("Help"); },
         [](const QWidget& w) { return QPoint(w.width() / 2, 1); }},
        {"style-sheet button",
         [] {
             auto* button = new RingedPushButton("Clear All");
             button->setStyleSheet(
                 "QPushButton { border: none; background: transparent; outline: none;"
                 " padding: 2px 4px; }");
             button->setRing(4, false);
             return button;
         },
         topMiddle},
        {"check box",
         [] {
             auto* box = new QCheckBox;
             DesignControlStyle::apply(box);
             return box;
         },
         [](const QWidget& w) {
             return QPoint(w.width() / 2, (w.height() - DesignControlStyle::kIndicatorSize) / 2 + 1);
         }},
    };
    return cases;
}

class FocusRingTest : public ::testing::TestWithParam<AppTheme> {
protected:
    // A window with a field before the control, so that Tab from the field moves the focus to it.
    struct Host {
        std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
        QLineEdit* field = nullptr;
        QWidget* control = nullptr;
    };

    Host host(QWidget* control) {
        Host h;
        QPalette palette = h.window->palette();
        palette.setColor(QPalette::Highlight, kAccent);
        h.window->setPalette(palette);
        auto* row = new QHBoxLayout(h.window.get());
        h.field = new QLineEdit;
        row->addWidget(h.field);
        row->addWidget(control);
        h.control = control;
        h.window->show();
        h.window->activateWindow();
        QApplication::processEvents();
        h.field->setFocus(Qt::OtherFocusReason);
        return h;
    }

    PinnedFont font;
    PinnedTheme theme{GetParam()};
};

TEST_P(FocusRingTest, TabShowsTheRingFocusFromElsewhereDoesNot) {
    for (const auto& c : controls()) {
        SCOPED_TRACE(c.name);
        Host h = host(c.make());
        ASSERT_TRUE(h.field->hasFocus()) << "the window must be active for focus to move";
        const QPoint at = c.ringPoint(*h.control);
        const QColor unfocused = h.control->grab().toImage().pixelColor(at);

        // Focus given by the program before any keyboard navigation: the toolkit's rule, no ring.
        h.control->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(h.control->hasFocus());
        EXPECT_FALSE(focus_ring::isShown(*h.control));
        EXPECT_TRUE(near(h.control->grab().toImage().pixelColor(at), unfocused, 4));

        h.field->setFocus(Qt::OtherFocusReason);
        pressKey(h.field, Qt::Key_Tab);
        ASSERT_TRUE(h.control->hasFocus()) << "reachable with Tab";
        EXPECT_TRUE(focus_ring::isShown(*h.control));
        const QColor ring = h.control->grab().toImage().pixelColor(at);
        if (c.onFill) {
            EXPECT_GT(ring.lightness(), 200) << "white ring";
            EXPECT_GT(std::abs(ring.lightness() - unfocused.lightness()), 40);
        } else {
            EXPECT_TRUE(near(ring, c.colour())) << ring.name().toStdString();
        }

        h.field->setFocus(Qt::OtherFocusReason);
        EXPECT_TRUE(near(h.control->grab().toImage().pixelColor(at), unfocused, 4)) << "gone with the focus";
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, FocusRingTest, ::testing::Values(AppTheme::light, AppTheme::dark),
                         [](const auto& info) { return info.param == AppTheme::light ? "Light" : "Dark"; });

}  // namespace
}  // namespace clicktrove::testing
