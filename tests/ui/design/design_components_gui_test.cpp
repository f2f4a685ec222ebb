// The shared components: buttons run their action exactly once per click, hover changes the look and never
// sticks, the section header's info button and popover follow the info text, statistic tiles hide a missing
// icon, the text-field style dresses fields once and follows theme switches, cards and the pulse glow look as
// their accent and state say.
#include "ui/design/glass_card.hpp"
#include "ui/design/live_text.hpp"
#include "ui/design/neon_pulse.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/design/vaq_stat_badge.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/support/widget_events.hpp"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QTimer>
#include <QVariantAnimation>
#include <functional>
#include <memory>
#include <set>
#include <thread>

namespace clicktrove {
namespace {

using testing::click;
using testing::hover;
using testing::pressKey;
using testing::unhover;

class DesignTest : public ::testing::Test {
protected:
    void TearDown() override { ThemeAppearance::instance().applyTheme(AppTheme::system); }
};

// Both buttons, built the same way, so every button rule runs for each.
struct ButtonCase {
    const char* name;
    std::function<QAbstractButton*(std::function<void()>)> make;
};

const std::vector<ButtonCase>& buttonCases() {
    static const std::vector<ButtonCase> cases{
        {"primary",
         [](std::function<void()> action) {
             return new VaqPrimaryButton("Start Autoclicker", "play.fill", ThemeGradient::vaqGreen(),
                                         std::move(action));
         }},
        {"ghost",
         [](std::function<void()> action) {
             return new VaqGhostButton("Pause", "pause.fill", ThemeColors::amber(), std::move(action));
         }},
    };
    return cases;
}

bool isHovered(QAbstractButton* button) {
    if (auto* primary = qobject_cast<VaqPrimaryButton*>(button)) return primary->isHovered();
    return qobject_cast<VaqGhostButton*>(button)->isHovered();
}

TEST_F(DesignTest, ButtonsRunTheirActionOncePerClickAndNotWhileDisabled) {
    for (const auto& c : buttonCases()) {
        SCOPED_TRACE(c.name);
        int runs = 0;
        std::unique_ptr<QAbstractButton> button(c.make([&] { ++runs; }));
        button->resize(button->sizeHint().expandedTo(QSize(200, 0)));
        button->show();

        click(button.get());
        EXPECT_EQ(runs, 1);
        click(button.get());
        EXPECT_EQ(runs, 2);
        // The keyboard activates the focused button the same way.
        pressKey(button.get(), Qt::Key_Space);
        EXPECT_EQ(runs, 3);
        // A press that is released outside the button is no click.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-50, -50), button->mapToGlobal(QPointF(-50, -50)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button.get(), &release);
        EXPECT_EQ(runs, 3);

        button->setEnabled(false);
        click(button.get());
        EXPECT_EQ(runs, 3);
    }
}

TEST_F(DesignTest, HoverFollowsThePointerAndEndsWhenTheButtonIsDisabled) {
    for (const auto& c : buttonCases()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QAbstractButton> button(c.make(nullptr));
        button->show();
        EXPECT_FALSE(isHovered(button.get()));
        hover(button.get());
        EXPECT_TRUE(isHovered(button.get()));
        unhover(button.get());
        EXPECT_FALSE(isHovered(button.get()));
        // A button disabled under the pointer gets no leave event; it must not stay lit.
        hover(button.get());
        button->setEnabled(false);
        EXPECT_FALSE(isHovered(button.get()));
        // A button without an action is fine to click.
        button->setEnabled(true);
        click(button.get());
    }
}

TEST_F(DesignTest, PrimaryButtonShrinksAndGlowsPurpleWhileHoveredWhateverItsGradient) {
    const auto rest = VaqPrimaryButton::lookFor(false);
    const auto hovered = VaqPrimaryButton::lookFor(true);
    EXPECT_DOUBLE_EQ(rest.scale, 1.0);
    EXPECT_DOUBLE_EQ(rest.shadowRadius, 8.0);
    EXPECT_DOUBLE_EQ(rest.shadowOpacity, 0.3);
    EXPECT_DOUBLE_EQ(hovered.scale, 0.98);
    EXPECT_DOUBLE_EQ(hovered.shadowRadius, 14.0);
    EXPECT_DOUBLE_EQ(hovered.shadowOpacity, 0.5);

    for (const auto* gradient : {&ThemeGradient::vaqRed(), &ThemeGradient::vaqGreen()}) {
        VaqPrimaryButton button("Stop", "stop.fill", *gradient, nullptr);
        EXPECT_EQ(button.graphicsEffect(), nullptr);
        const ShadowUnderlay* shadow = button.shadowUnderlay();
        ASSERT_NE(shadow, nullptr);
        // At rest before any hover: the look of rest, in purple.
        EXPECT_DOUBLE_EQ(button.currentLook().scale, 1.0);
        EXPECT_EQ(shadow->shadow().color.rgb(), ThemeColors::purple().rgb());
        EXPECT_NEAR(shadow->shadow().color.alphaF(), 0.3, 0.01);
        EXPECT_DOUBLE_EQ(shadow->shadow().radius, 8.0);
        EXPECT_EQ(shadow->shadow().offset, QPointF(0, 4));
        EXPECT_DOUBLE_EQ(shadow->shadow().cornerRadius, 12.0);
        EXPECT_DOUBLE_EQ(shadow->shapeScale(), 1.0);
    }
}

// Runs a component's animation to its end without waiting: the animations are its only QVariantAnimation.
void finishAnimation(QObject* component, int at = -1) {
    auto* animation = component->findChild<QVariantAnimation*>();
    ASSERT_NE(animation, nullptr);
    animation->setCurrentTime(at < 0 ? animation->duration() : at);
}

TEST_F(DesignTest, PrimaryButtonSpringsToTheHoverLookAndBackToRest) {
    QWidget holder;
    auto* button = new VaqPrimaryButton("Start Autoclicker", "play.fill", ThemeGradient::vaqGreen(), nullptr, &holder);
    button->setGeometry(30, 30, 240, 44);
    holder.resize(300, 110);
    holder.show();
    const ShadowUnderlay* shadow = button->shadowUnderlay();
    ASSERT_NE(shadow, nullptr);
    const QRect resting = shadow->geometry();

    hover(button);
    finishAnimation(button);
    EXPECT_NEAR(button->currentLook().scale, 0.98, 1e-9);
    EXPECT_NEAR(shadow->shadow().radius, 14.0, 1e-9);
    EXPECT_NEAR(shadow->shadow().color.alphaF(), 0.5, 0.01);
    EXPECT_NEAR(shadow->shapeScale(), 0.98, 1e-9);
    EXPECT_EQ(shadow->shadow().color.rgb(), ThemeColors::purple().rgb());
    EXPECT_EQ(shadow->geometry(), resting) << "the spring repaints the shadow in place";
    // The shadow shrinks with the button, about its centre.
    EXPECT_NEAR(shadow->shapeRect().width(), 240 * 0.98, 1.0);
    EXPECT_NEAR(shadow->shapeRect().center().x(), QRectF(button->geometry()).center().x() - shadow->x(), 1.0);

    unhover(button);
    // Halfway the spring is between the two looks (it may overshoot a little, never run wild).
    finishAnimation(button, 120);
    EXPECT_GT(button->currentLook().shadowRadius, 6.0);
    EXPECT_LT(button->currentLook().shadowRadius, 16.0);
    finishAnimation(button);
    EXPECT_NEAR(button->currentLook().scale, 1.0, 1e-9);
    EXPECT_NEAR(shadow->shadow().radius, 8.0, 1e-9);
    EXPECT_NEAR(shadow->shadow().color.alphaF(), 0.3, 0.01);
    EXPECT_NE(button->findChild<QVariantAnimation*>()->state(), QAbstractAnimation::Running) << "settled, it stops";
}

TEST_F(DesignTest, GhostButtonSwapsColoursBetweenRestAndHover) {
    VaqGhostButton button("Record Coordinates", "record.circle", ThemeColors::red(), nullptr);
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        const auto rest = button.lookFor(false, dark);
        EXPECT_EQ(rest.foreground, ThemeColors::red());
        EXPECT_EQ(rest.background.alpha(), 0);
        EXPECT_EQ(rest.border, ThemeColors::border(dark));
        const auto hovered = button.lookFor(true, dark);
        EXPECT_EQ(hovered.foreground, ThemeColors::textPrimary(dark));
        EXPECT_EQ(hovered.background, ThemeColors::surfaceRaised(dark));
        EXPECT_EQ(hovered.border.rgb(), ThemeColors::red().rgb());
        EXPECT_NEAR(hovered.border.alphaF(), 0.5, 0.01);
    }
    // An adaptive colour resolves per appearance.
    button.setColor(ThemeColors::vaqTextSecondary());
    EXPECT_EQ(button.lookFor(false, true).foreground, ThemeColors::textSecondary(true));
    EXPECT_EQ(button.lookFor(false, false).foreground, ThemeColors::textSecondary(false));
}

TEST_F(DesignTest, PrimaryButtonTakesTheFullWidthAndGhostButtonItsContent) {
    QWidget row;
    auto* layout = new QVBoxLayout(&row);
    auto* primary = new VaqPrimaryButton("Stop", "stop.fill", ThemeGradient::vaqRed(), nullptr);
    auto* ghost = new VaqGhostButton("Cancel", "xmark", ThemeColors::vaqTextSecondary(), nullptr);
    layout->addWidget(primary);
    layout->addWidget(ghost);
    row.resize(500, 200);
    row.show();
    layout->activate();
    EXPECT_EQ(primary->width(), layout->contentsRect().width());
    EXPECT_EQ(ghost->width(), ghost->sizeHint().width());
    EXPECT_LT(ghost->width(), 200);
    // A longer label makes the ghost button wider.
    const int before = ghost->sizeHint().width();
    ghost->setLabel("Cancel the whole thing");
    EXPECT_GT(ghost->sizeHint().width(), before);
}

TEST_F(DesignTest, SectionHeaderHasAnInfoButtonOnlyWithAnInfoText) {
    VaqSectionHeader plain("clock.fill", "Click Interval", ThemeColors::cyan());
    plain.show();
    EXPECT_EQ(plain.infoButton(), nullptr);
    EXPECT_TRUE(plain.findChildren<QAbstractButton*>().isEmpty());
    plain.setInfoShown(true);
    EXPECT_FALSE(plain.isInfoShown());
    EXPECT_EQ(plain.infoPopover(), nullptr);

    VaqSectionHeader helped("clock.fill", "Click Interval", ThemeColors::cyan(), QString("How often it clicks."));
    helped.show();
    ASSERT_NE(helped.infoButton(), nullptr);
    EXPECT_EQ(helped.title(), "Click Interval");

    click(helped.infoButton());
    EXPECT_TRUE(helped.isInfoShown());
    ASSERT_NE(helped.infoPopover(), nullptr);
    EXPECT_TRUE(helped.infoPopover()->isVisible());
    EXPECT_TRUE(helped.infoPopover()->findChild<QLabel*>()->text().contains("How often it clicks."));

    click(helped.infoButton());
    EXPECT_FALSE(helped.isInfoShown());
    EXPECT_EQ(helped.infoPopover(), nullptr);

    // Dismissed by the platform (a click elsewhere closes the popup): the flag follows.
    click(helped.infoButton());
    ASSERT_NE(helped.infoPopover(), nullptr);
    helped.infoPopover()->close();
    EXPECT_FALSE(helped.isInfoShown());
    click(helped.infoButton());
    EXPECT_TRUE(helped.isInfoShown());

    // Taking the info away removes the button and closes the popover.
    helped.setInfo(std::nullopt);
    EXPECT_EQ(helped.infoButton(), nullptr);
    EXPECT_FALSE(helped.isInfoShown());
    EXPECT_EQ(helped.infoPopover(), nullptr);
    helped.setInfo(QString("Back again."));
    EXPECT_NE(helped.infoButton(), nullptr);
}

TEST_F(DesignTest, TheInfoPopoverKeepsItsWidthAndGrowsInHeightForLongTexts) {
    VaqSectionHeader shortHelp("info.circle", "A", ThemeColors::purple(), QString("Short."));
    VaqSectionHeader longHelp(
        "info.circle", "B", ThemeColors::purple(),
        QString("A long help text that explains in some detail what the settings of this card do, "
                "why one would change them and what happens to a run that is going on. ")
            .repeated(3));
    shortHelp.show();
    longHelp.show();
    shortHelp.setInfoShown(true);
    longHelp.setInfoShown(true);
    ASSERT_NE(shortHelp.infoPopover(), nullptr);
    ASSERT_NE(longHelp.infoPopover(), nullptr);
    EXPECT_EQ(shortHelp.infoPopover()->width(), 260);
    EXPECT_EQ(longHelp.infoPopover()->width(), 260);
    EXPECT_GT(longHelp.infoPopover()->height(), 3 * shortHelp.infoPopover()->height() / 2);
    auto* label = longHelp.infoPopover()->findChild<QLabel*>();
    EXPECT_TRUE(label->wordWrap());
    EXPECT_LE(label->width(), 260 - 2 * 14);
}

TEST_F(DesignTest, StatBadgeShowsItsIconOnlyWhenGivenAndCentresItsTexts) {
    VaqStatBadge withIcon("Elapsed Time", "00:01:05", ThemeColors::cyan(), QString("timer"));
    VaqStatBadge withoutIcon("Mode", "\u221E Infinite", ThemeColors::vaqTextSecondary());
    withIcon.show();
    withoutIcon.show();
    EXPECT_TRUE(withIcon.iconLabel()->isVisible());
    EXPECT_FALSE(withoutIcon.iconLabel()->isVisible());
    EXPECT_EQ(withoutIcon.value(), "\u221E Infinite");
    EXPECT_EQ(withoutIcon.label(), "Mode");
    EXPECT_TRUE(withoutIcon.captionLabel()->wordWrap());
    EXPECT_TRUE(withoutIcon.captionLabel()->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(withoutIcon.valueLabel()->palette().color(QPalette::WindowText), ThemeColors::textSecondary(false));

    withIcon.setIcon(std::nullopt);
    EXPECT_FALSE(withIcon.iconLabel()->isVisible());
    withIcon.setIcon(QString("target"));
    EXPECT_TRUE(withIcon.iconLabel()->isVisible());
    withIcon.setValue("42");
    EXPECT_EQ(withIcon.valueLabel()->text(), "42");

    // An adaptive value colour follows a theme switch.
    ThemeAppearance::instance().applyTheme(AppTheme::dark);
    EXPECT_EQ(withoutIcon.valueLabel()->palette().color(QPalette::WindowText), ThemeColors::textSecondary(true));
    EXPECT_EQ(withIcon.valueLabel()->palette().color(QPalette::WindowText), ThemeColors::cyan());
}

TEST_F(DesignTest, TextFieldStyleDressesEachFieldOnceAndFollowsTheTheme) {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* plain = new QLineEdit(&form);
    auto* spin = new QSpinBox(&form);
    layout->addWidget(plain);
    layout->addWidget(spin);
    auto* spinField = spin->findChild<QLineEdit*>();
    ASSERT_NE(spinField, nullptr);

    VaqTextFieldStyle::applyToAll(&form);
    VaqTextFieldStyle::apply(plain);  // a second time changes nothing
    for (auto* field : {plain, spinField}) {
        EXPECT_TRUE(VaqTextFieldStyle::isApplied(field));
        EXPECT_EQ(field->findChildren<VaqTextFieldStyle*>().size(), 1);
    }
    EXPECT_FALSE(plain->hasFrame());
    // The desktop's fixed face (the tests' font configuration offers DejaVu Sans Mono only), 13 points of the
    // layout high, medium weight; every character as wide as every other, so digits never jitter as they change.
    const QFontInfo used(plain->font());
    EXPECT_EQ(used.family(), "DejaVu Sans Mono");
    EXPECT_TRUE(used.fixedPitch());
    EXPECT_EQ(used.pixelSize(), 13);
    EXPECT_EQ(plain->font().weight(), QFont::Medium);
    const QFontMetricsF metrics(plain->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('1')), metrics.horizontalAdvance(QLatin1Char('0')));
    EXPECT_EQ(plain->palette().color(QPalette::Text), ThemeColors::textPrimary(false));
    EXPECT_EQ(plain->palette().color(QPalette::Base).alpha(), 0);
    // Padding 10 x 7 around the text, whatever QLineEdit keeps for itself.
    plain->setText("100");
    form.show();
    EXPECT_GE(plain->sizeHint().height(), QFontMetrics(plain->font()).height() + 2 * 7);

    ThemeAppearance::instance().applyTheme(AppTheme::dark);
    EXPECT_EQ(plain->palette().color(QPalette::Text), ThemeColors::textPrimary(true));
    EXPECT_EQ(plain->palette().color(QPalette::PlaceholderText), ThemeColors::textSecondary(true));

    // The caller's alignment and texts stay.
    auto* centred = new QLineEdit(&form);
    centred->setAlignment(Qt::AlignCenter);
    centred->setPlaceholderText("0 = Infinite");
    VaqTextFieldStyle::apply(centred);
    EXPECT_EQ(centred->alignment(), Qt::AlignCenter);
    EXPECT_EQ(centred->placeholderText(), "0 = Infinite");
}

TEST_F(DesignTest, GlassCardLooksNeutralWithoutAnAccentAndTintedWithOne) {
    GlassCard neutral(std::nullopt, 16);
    GlassCard accented(ThemeColors::amber(), 12);
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        const auto plain = neutral.lookFor(dark);
        EXPECT_EQ(plain.surface, ThemeColors::surface(dark));
        EXPECT_EQ(plain.tint.alpha(), 0);
        EXPECT_EQ(plain.borderStart, ThemeColors::border(dark));
        EXPECT_EQ(plain.borderEnd, ThemeColors::border(dark));
        EXPECT_EQ(plain.shadow.rgb(), QColor(Qt::black).rgb());
        EXPECT_NEAR(plain.shadow.alphaF(), 0.3, 0.01);

        const auto tinted = accented.lookFor(dark);
        EXPECT_EQ(tinted.tint.rgb(), ThemeColors::amber().rgb());
        EXPECT_NEAR(tinted.tint.alphaF(), 0.04, 0.01);
        EXPECT_EQ(tinted.borderStart.rgb(), ThemeColors::amber().rgb());
        EXPECT_NEAR(tinted.borderStart.alphaF(), 0.4, 0.01);
        EXPECT_EQ(tinted.borderEnd, ThemeColors::border(dark));
        EXPECT_EQ(tinted.shadow.rgb(), ThemeColors::amber().rgb());
        EXPECT_NEAR(tinted.shadow.alphaF(), 0.12, 0.01);
    }

    // The content sits padding points inside every edge.
    auto* content = new QLabel("content");
    accented.setContent(content);
    accented.resize(300, 200);
    accented.show();
    EXPECT_EQ(content->geometry(), QRect(12, 12, 300 - 24, 200 - 24));
    accented.setPadding(16);
    accented.contentLayout()->activate();
    EXPECT_EQ(content->geometry(), QRect(16, 16, 300 - 32, 200 - 32));
}

// Collects Qt's painter warnings while alive.
class PainterWarnings {
public:
    PainterWarnings() {
        warnings().clear();
        previous_ = qInstallMessageHandler(&PainterWarnings::handle);
    }
    ~PainterWarnings() { qInstallMessageHandler(previous_); }
    static QStringList& warnings() {
        static QStringList list;
        return list;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message) {
        if (message.contains("QPainter") || message.contains("paint device")) warnings() << message;
    }
    QtMessageHandler previous_ = nullptr;
};

TEST_F(DesignTest, ShadowedAndGlowingComponentsNestInsideACardAndStillPaint) {
    PainterWarnings watch;
    GlassCard card(ThemeColors::green(), 16);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    auto* dot = new QWidget;
    dot->setFixedSize(10, 10);
    NeonPulse* pulse = NeonPulse::apply(dot, ThemeColors::green(), true);
    auto* start = new VaqPrimaryButton("Start Autoclicker", "play.fill", ThemeGradient::vaqGreen(), nullptr);
    layout->addWidget(dot);
    layout->addWidget(start);
    card.setContent(column);
    card.resize(320, 160);
    card.show();

    const QImage image = card.grab().toImage();
    EXPECT_TRUE(PainterWarnings::warnings().isEmpty()) << PainterWarnings::warnings().join("\n").toStdString();
    // The button's gradient reached the card's picture: its centre row is green, not the card's surface.
    const QPoint inButton = start->mapTo(&card, QPoint(8, start->height() / 2));
    const QColor pixel = image.pixelColor(inButton * image.devicePixelRatio());
    EXPECT_GT(pixel.green(), pixel.red() + 60);
    // Beneath the button its purple shadow darkens the card; beside the dot its green glow tints it.
    const QColor surface = image.pixelColor(QPoint(card.width() - 30, 20) * image.devicePixelRatio());
    const QPoint underButton = start->mapTo(&card, QPoint(start->width() / 2, start->height() + 3));
    EXPECT_LT(image.pixelColor(underButton * image.devicePixelRatio()).green(), surface.green() - 15);
    const QPoint besideDot = dot->mapTo(&card, QPoint(dot->width() + 1, dot->height() / 2)) * image.devicePixelRatio();
    pulse->setActive(false);
    const QImage withoutGlow = card.grab().toImage();
    EXPECT_LT(image.pixelColor(besideDot).red(), withoutGlow.pixelColor(besideDot).red() - 8);
    EXPECT_EQ(withoutGlow.pixelColor(besideDot), surface);
    for (const QWidget* widget : card.findChildren<QWidget*>()) EXPECT_EQ(widget->graphicsEffect(), nullptr);
}

TEST(NeonPulsePhase, BreathesOutAndBackOnceASecondEachWayInAFewSteps) {
    struct Case {
        qint64 ms;
        qreal phase;
    };
    const Case cases[] = {{0, 0.0}, {500, 0.5}, {1000, 1.0}, {1500, 0.5}, {2000, 0.0}, {3000, 1.0}, {60'000, 0.0}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(NeonPulse::phaseAt(c.ms), c.phase) << c.ms << " ms";
    // Eased: slow at both ends, and only a handful of distinct glows per swing, so a step is a visible change.
    EXPECT_LT(NeonPulse::phaseAt(100), 0.1);
    std::set<qreal> steps;
    for (qint64 ms = 0; ms <= 1000; ++ms) steps.insert(NeonPulse::phaseAt(ms));
    EXPECT_LE(steps.size(), 9u);
    EXPECT_GE(steps.size(), 6u);
}

TEST_F(DesignTest, NeonPulseGlowsOnlyWhileActiveAndStartsOnShowOrActivation) {
    const auto rest = NeonPulse::glowAt(0.0);
    const auto full = NeonPulse::glowAt(1.0);
    EXPECT_DOUBLE_EQ(rest.opacity, 0.3);
    EXPECT_DOUBLE_EQ(rest.radius, 4.0);
    EXPECT_DOUBLE_EQ(full.opacity, 0.8);
    EXPECT_DOUBLE_EQ(full.radius, 8.0);

    // The glow is drawn beneath the dot, which sits in a row of its own.
    QWidget row;
    row.resize(60, 40);
    QWidget inactiveDot(&row);
    inactiveDot.setGeometry(25, 15, 10, 10);
    auto* idle = NeonPulse::apply(&inactiveDot, ThemeColors::green(), false);
    const auto running = [](NeonPulse* pulse) {
        return pulse->findChild<QTimer*>()->isActive();
    };
    row.show();
    EXPECT_FALSE(idle->isAnimating());
    EXPECT_FALSE(running(idle));
    EXPECT_EQ(idle->currentGlow().opacity, 0.0);
    EXPECT_EQ(idle->underlay()->shadow().color.alpha(), 0);
    EXPECT_EQ(inactiveDot.graphicsEffect(), nullptr);
    // Turning it on starts the pulse; off drops the glow at once.
    idle->setActive(true);
    EXPECT_TRUE(idle->isAnimating());
    EXPECT_TRUE(running(idle));
    EXPECT_GT(idle->currentGlow().opacity, 0.0);
    EXPECT_EQ(idle->underlay()->shadow().shape, DropShadow::Shape::ellipse);
    EXPECT_EQ(idle->underlay()->shadow().color, idle->currentColor());
    EXPECT_EQ(idle->underlay()->parentWidget(), &row);
    idle->setActive(false);
    EXPECT_FALSE(idle->isAnimating());
    EXPECT_FALSE(running(idle));
    EXPECT_EQ(idle->currentGlow().opacity, 0.0);
    EXPECT_EQ(idle->underlay()->shadow().color.alpha(), 0);

    // Made active before it is on screen: it waits for the show, and stops while hidden.
    QWidget activeDot;
    auto* pulse = NeonPulse::apply(&activeDot, ThemeColors::red(), true);
    EXPECT_FALSE(pulse->isAnimating());
    EXPECT_FALSE(running(pulse));
    activeDot.show();
    EXPECT_TRUE(pulse->isAnimating());
    activeDot.hide();
    EXPECT_FALSE(pulse->isAnimating());
    EXPECT_FALSE(running(pulse)) << "nothing ticks for a hidden dot";
    activeDot.show();
    EXPECT_TRUE(pulse->isAnimating());
    EXPECT_EQ(pulse->currentColor().rgb(), ThemeColors::red().rgb());

    // Minimised, a window's widgets get a hide event yet still count as visible: the pulse stops all the same,
    // and turning it on again waits for the window to come back.
    QHideEvent minimised;
    QCoreApplication::sendEvent(&activeDot, &minimised);
    ASSERT_TRUE(activeDot.isVisible());
    EXPECT_FALSE(running(pulse));
    pulse->setActive(false);
    pulse->setActive(true);
    EXPECT_FALSE(running(pulse));
    QShowEvent restored;
    QCoreApplication::sendEvent(&activeDot, &restored);
    EXPECT_TRUE(running(pulse));

    // One second out to the full glow, one second back.
    pulse->showMoment(1000);
    EXPECT_NEAR(pulse->currentGlow().opacity, 0.8, 0.02);
    EXPECT_NEAR(pulse->currentColor().alphaF(), 0.8, 0.02);
    EXPECT_NEAR(pulse->currentGlow().radius, 8.0, 0.2);
    EXPECT_NEAR(pulse->underlay()->shadow().radius, 8.0, 0.2);
    pulse->showMoment(1999);
    EXPECT_NEAR(pulse->currentGlow().opacity, 0.3, 0.02);
    pulse->showMoment(500);
    EXPECT_GT(pulse->currentGlow().opacity, 0.4);
    EXPECT_LT(pulse->currentGlow().opacity, 0.7);
    // Off at the peak: the glow goes at once, not at the end of a swing.
    pulse->setActive(false);
    EXPECT_EQ(pulse->currentGlow().opacity, 0.0);
    EXPECT_EQ(pulse->currentColor().alpha(), 0);
    EXPECT_FALSE(running(pulse));
}

// A frame is what costs: the glow takes its steps in the window's own repaints (the counters of a run repaint ten
// times a second at 100 ms), and its timer makes frames only while nothing else does.
TEST_F(DesignTest, NeonPulseStepsInTheWindowsRepaintsAndItsTimerWaitsForThem) {
    QWidget window;
    window.resize(60, 40);
    QWidget dot(&window);
    dot.setGeometry(25, 15, 10, 10);
    auto* pulse = NeonPulse::apply(&dot, ThemeColors::green(), true);
    window.show();
    ASSERT_TRUE(pulse->isAnimating());
    auto* timer = pulse->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    // Half a swing passes without the event loop, so the timer cannot have stepped the glow.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_DOUBLE_EQ(pulse->currentGlow().opacity, NeonPulse::glowAt(0.0).opacity);
    QEvent frame(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &frame);
    EXPECT_NEAR(pulse->currentGlow().opacity, NeonPulse::glowAt(0.5).opacity, 0.1) << "stepped in the frame";
    EXPECT_EQ(pulse->underlay()->shadow().color, pulse->currentColor());
    EXPECT_GT(timer->remainingTime(), timer->interval() - 50) << "the timer starts over after a frame";
    // Stopped, it no longer listens to the window.
    pulse->setActive(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    QCoreApplication::sendEvent(&window, &frame);
    EXPECT_EQ(pulse->currentGlow().opacity, 0.0);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(DesignTest, LiveTextAsksTheLayoutForRoomOnlyWhenANewTextOutgrowsIt) {
    // A label lays out every layout up to the window at each new text; a counter changing at display pace must not.
    struct LayoutRequests final : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::LayoutRequest) ++count;
            return false;
        }
    } requests;
    QWidget row;
    auto* layout = new QHBoxLayout(&row);
    auto* text = new LiveText;
    layout->addWidget(text);
    layout->addStretch();
    text->setText("12");
    row.show();
    QCoreApplication::sendPostedEvents();
    row.installEventFilter(&requests);
    const auto newText = [&](const QString& value) {
        requests.count = 0;
        text->setText(value);
        QCoreApplication::sendPostedEvents();
        return requests.count;
    };

    EXPECT_EQ(newText("13"), 0);
    EXPECT_EQ(text->accessibleName(), "13") << "read out like a label";
    EXPECT_GT(newText("12345678 CPS"), 0) << "wider than its place";
    EXPECT_GE(text->width(), text->sizeHint().width());
    EXPECT_EQ(newText("1 CPS"), 0) << "drawn in the room it has";
    EXPECT_EQ(text->text(), "1 CPS");
}

}  // namespace
}  // namespace clicktrove
