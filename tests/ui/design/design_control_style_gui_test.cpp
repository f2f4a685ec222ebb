// The toolkit's controls in the design's look: an empty check box or radio ring stands out from the card it
// sits on in both appearances, a chosen one fills with the accent, and a pop-up menu is drawn as a field.
#include "ui/design/design_control_style.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QWidget>
#include <cmath>

namespace clicktrove {
namespace {

const QColor kAccent(255, 0, 170);

// WCAG relative luminance and the contrast ratio of two colours.
double luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class DesignControlStyleTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ThemeAppearance::instance().applyTheme(GetParam() ? AppTheme::dark : AppTheme::light); }
    void TearDown() override { ThemeAppearance::instance().applyTheme(AppTheme::system); }

    // The indicator drawn on the card surface, as the cards show it.
    QImage indicator(QStyle::PrimitiveElement element, bool on) const {
        const int side = DesignControlStyle::kIndicatorSize;
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(ThemeColors::surface(GetParam()));
        QPainter painter(&image);
        QStyleOptionButton option;
        option.rect = QRect(0, 0, side, side);
        option.state = QStyle::State_Enabled | (on ? QStyle::State_On : QStyle::State_Off);
        option.palette.setColor(QPalette::Highlight, kAccent);
        DesignControlStyle::instance().drawPrimitive(element, &option, &painter, nullptr);
        return image;
    }
};

TEST_P(DesignControlStyleTest, EmptyIndicatorsStandOutFromTheCard) {
    const bool dark = GetParam();
    // The box and the ring start 3 points in (room for the focus ring); their outline covers the next column.
    const int outline = (DesignControlStyle::kIndicatorSize - DesignControlStyle::kBoxSize) / 2;
    const int middle = DesignControlStyle::kIndicatorSize / 2;
    for (const auto element : {QStyle::PE_IndicatorCheckBox, QStyle::PE_IndicatorRadioButton}) {
        const bool box = element == QStyle::PE_IndicatorCheckBox;
        SCOPED_TRACE(box ? "check box" : "radio button");
        const QColor edge = indicator(element, false).pixelColor(outline, middle);
        EXPECT_GE(contrast(edge, ThemeColors::surface(dark)), 3.0) << edge.name().toStdString();

        const QImage chosen = indicator(element, true);
        // The ring curves across its column, so its edge pixel is only mostly covered.
        const QColor side = chosen.pixelColor(outline + (box ? 1 : 0), middle);
        EXPECT_LE(std::abs(side.red() - kAccent.red()) + std::abs(side.green() - kAccent.green()) +
                      std::abs(side.blue() - kAccent.blue()),
                  box ? 0 : 60)
            << "accent box or ring, " << side.name().toStdString();
        const QColor centre = chosen.pixelColor(middle, middle);
        if (box) {
            EXPECT_GT(centre.lightness(), 240) << "the white tick";
        } else {
            EXPECT_EQ(centre.rgb(), kAccent.rgb()) << "the accent dot";
        }
    }
}

TEST_P(DesignControlStyleTest, PopUpMenusAndDatePickersLookLikeFields) {
    const bool dark = GetParam();
    QWidget host;
    auto* menu = new QComboBox(&host);
    menu->addItems({"Left Click", "Right Click"});
    menu->setFixedWidth(160);
    auto* picker = new QDateTimeEdit(&host);
    picker->setCalendarPopup(true);
    picker->move(0, 60);
    DesignControlStyle::applyToAll(&host);
    EXPECT_TRUE(DesignControlStyle::isApplied(menu));
    EXPECT_TRUE(DesignControlStyle::isApplied(picker));
    host.resize(300, 120);
    host.show();
    for (QWidget* control : {static_cast<QWidget*>(menu), static_cast<QWidget*>(picker)}) {
        SCOPED_TRACE(control->metaObject()->className());
        const QImage drawn = control->grab().toImage();
        // Inside the border, left of the text: the surface; on the border: the border colour.
        EXPECT_EQ(drawn.pixelColor(4, drawn.height() / 2).rgb(), ThemeColors::surface(dark).rgb());
        EXPECT_EQ(drawn.pixelColor(drawn.width() / 2, 0).rgb(), ThemeColors::border(dark).rgb());
    }
}

INSTANTIATE_TEST_SUITE_P(Appearances, DesignControlStyleTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace clicktrove
