// Shadows without graphics effects: the cached shadow is a true blur of its shape at any size and scale factor,
// it is built once per look rather than once per paint or size, and the underlay that paints it follows its
// widget wherever the widget goes.
#include "ui/design/drop_shadow.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_pixmap_cache.hpp"
#include "ui/design/shadow_underlay.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

namespace clicktrove {
namespace {

// The shadow's alpha as a true Gaussian blur (sigma = radius / 2) of the antialiased shape, computed here the
// slow way, in device pixels.
std::vector<float> referenceShadow(QSize canvas, QRectF shape, const DropShadow& shadow, qreal dpr) {
    QImage mask(canvas, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(dpr, dpr);
        const QRectF at = shape.translated(shadow.offset);
        if (shadow.shape == DropShadow::Shape::ellipse) {
            QPainterPath path;
            path.addEllipse(at);
            p.fillPath(path, Qt::black);
        } else {
            p.fillPath(continuousRoundedRect(at, shadow.cornerRadius), Qt::black);
        }
    }
    const int w = canvas.width(), h = canvas.height();
    const double sigma = shadow.radius / 2.0 * dpr;
    const int reach = static_cast<int>(std::ceil(4 * sigma));
    std::vector<double> kernel(2 * reach + 1);
    double sum = 0;
    for (int i = -reach; i <= reach; ++i) sum += kernel[i + reach] = std::exp(-i * i / (2 * sigma * sigma));
    for (double& k : kernel) k /= sum;
    std::vector<double> in(w * h), across(w * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) in[y * w + x] = mask.constScanLine(y)[x] / 255.0;
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int i = -reach; i <= reach; ++i)
                v += (x + i >= 0 && x + i < w ? in[y * w + x + i] : 0) * kernel[i + reach];
            across[y * w + x] = v;
        }
    }
    std::vector<float> out(w * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int i = -reach; i <= reach; ++i)
                v += (y + i >= 0 && y + i < h ? across[(y + i) * w + x] : 0) * kernel[i + reach];
            out[y * w + x] = static_cast<float>(v * shadow.color.alphaF());
        }
    }
    return out;
}

TEST(ShadowPixmapCache, PaintsATrueBlurOfTheShapeAtAnySizeAndScale) {
    struct Case {
        const char* name;
        QSizeF shape;
        DropShadow shadow;
        qreal dpr;
    };
    const QColor black(0, 0, 0);
    const Case cases[] = {
        // Long enough on both sides to be drawn from a nine-patch.
        {"card", {220, 140}, {black, 12, {0, 4}, 16, DropShadow::Shape::roundedRect}, 1.0},
        {"card on a 2x screen", {220, 140}, {black, 12, {0, 4}, 16, DropShadow::Shape::roundedRect}, 2.0},
        {"faint wide card", {400, 90}, {QColor(0, 0, 0, 77), 5, {0, 2}, 12, DropShadow::Shape::roundedRect}, 1.0},
        // Too short to stretch vertically: exact height, stretched width.
        {"button", {240, 44}, {QColor(175, 82, 222), 8, {0, 4}, 12, DropShadow::Shape::roundedRect}, 1.0},
        {"glowing dot", {10, 10}, {QColor(255, 59, 48), 8, {0, 0}, 0, DropShadow::Shape::ellipse}, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int margin = 40;
        const QSize logical(static_cast<int>(c.shape.width()) + 2 * margin,
                            static_cast<int>(c.shape.height()) + 2 * margin);
        const QSize device = logical * c.dpr;
        QImage canvas(device, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(c.dpr);
        canvas.fill(Qt::transparent);
        const QRectF shape(QPointF(margin, margin), c.shape);
        {
            QPainter p(&canvas);
            ShadowPixmapCache::paint(p, shape, c.shadow);
        }
        const auto reference = referenceShadow(device, shape, c.shadow, c.dpr);
        float worst = 0;
        QPoint worstAt;
        for (int y = 0; y < device.height(); ++y) {
            for (int x = 0; x < device.width(); ++x) {
                const QRgb drawn = canvas.pixel(x, y);  // premultiplied
                const float diff = std::abs(qAlpha(drawn) / 255.0f - reference[y * device.width() + x]);
                if (diff > worst) {
                    worst = diff;
                    worstAt = {x, y};
                }
                // In the shadow's hue everywhere.
                const qreal alpha = qAlpha(drawn) / 255.0;
                EXPECT_NEAR(qRed(drawn), c.shadow.color.red() * alpha, 2.0);
                EXPECT_NEAR(qGreen(drawn), c.shadow.color.green() * alpha, 2.0);
                EXPECT_NEAR(qBlue(drawn), c.shadow.color.blue() * alpha, 2.0);
            }
        }
        // Three box blurs stand in for the Gaussian; a pixel of misplacement or a seam costs several times this.
        EXPECT_LT(worst, 0.025f) << "at " << worstAt.x() << "," << worstAt.y();
    }
}

TEST(ShadowPixmapCache, BuildsOncePerLookNotPerPaintOrSize) {
    QPixmapCache::clear();
    QImage canvas(500, 400, QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&](QSizeF size, const DropShadow& shadow) {
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        ShadowPixmapCache::paint(p, QRectF(QPointF(40, 40), size), shadow);
        return ShadowPixmapCache::buildCount();
    };
    DropShadow card{QColor::fromRgbF(0, 0, 0, 0.3f), 12, {0, 4}, 16, DropShadow::Shape::roundedRect};
    int builds = paint({200, 120}, card);
    EXPECT_EQ(paint({200, 120}, card), builds) << "a repaint builds nothing";
    EXPECT_EQ(paint({320, 210}, card), builds) << "a resized card shares the pixmap";
    card.color.setAlphaF(0.12f);
    EXPECT_EQ(paint({320, 210}, card), builds) << "a fade builds nothing";
    card.color = QColor(245, 158, 11, 30);
    EXPECT_EQ(paint({320, 210}, card), ++builds) << "a new colour builds one";
    EXPECT_EQ(paint({200, 120}, card), builds);
    card.radius = 14;
    EXPECT_EQ(paint({200, 120}, card), ++builds) << "a new radius builds one";
    card.radius = 14.1;
    EXPECT_EQ(paint({200, 120}, card), builds) << "radii a spring passes through are rounded to a few";

    // A round glow has no straight edge to stretch: one pixmap per size.
    const DropShadow glow{QColor(52, 199, 89), 8, {}, 0, DropShadow::Shape::ellipse};
    EXPECT_EQ(paint({10, 10}, glow), ++builds);
    EXPECT_EQ(paint({10, 10}, glow), builds);
    EXPECT_EQ(paint({12, 12}, glow), ++builds) << "a resized dot builds anew";
}

TEST(ShadowUnderlay, FollowsItsWidgetAndLetsTheMouseThrough) {
    const DropShadow shadow{QColor::fromRgbF(0, 0, 0, 0.3f), 12, {0, 4}, 16, DropShadow::Shape::roundedRect};
    QWidget window;
    window.resize(500, 400);
    auto* column = new QVBoxLayout(&window);
    auto* before = new QWidget;
    before->setMinimumHeight(50);
    column->addWidget(before);
    // Made before it has a parent, as cards are before a layout takes them.
    auto* card = new QWidget;
    card->setMinimumHeight(120);
    QPointer<ShadowUnderlay> underlay = new ShadowUnderlay(card, shadow);
    EXPECT_TRUE(underlay->isHidden()) << "waits inside the widget";
    column->addWidget(card);
    window.show();
    column->activate();

    const auto placed = [&] {
        ASSERT_EQ(underlay->parentWidget(), card->parentWidget());
        EXPECT_EQ(underlay->geometry(), card->geometry().marginsAdded(shadow.reach()));
        const QObjectList siblings = card->parentWidget()->children();
        EXPECT_EQ(siblings.indexOf(underlay.data()) + 1, siblings.indexOf(card)) << "stacked right under it";
    };
    placed();
    EXPECT_TRUE(underlay->isVisible());
    EXPECT_EQ(underlay->shapeRect(), QRectF(QPointF(shadow.reach().left(), shadow.reach().top()), card->size()));

    // The shadow reaches over the widget above; clicks there still reach that widget.
    const QPoint overBefore(card->x() + 40, before->geometry().bottom());
    ASSERT_TRUE(underlay->geometry().contains(overBefore));
    EXPECT_EQ(window.childAt(overBefore), before);

    card->raise();
    placed();
    card->setGeometry(30, 200, 260, 90);
    placed();
    card->hide();
    EXPECT_FALSE(underlay->isVisible());
    card->show();
    EXPECT_TRUE(underlay->isVisible());

    QWidget elsewhere;
    card->setParent(&elsewhere);
    card->show();
    placed();
    card->setParent(nullptr);
    EXPECT_EQ(underlay->parentWidget(), card);
    EXPECT_TRUE(underlay->isHidden());
    card->setParent(&window);
    card->show();
    placed();

    delete card;
    EXPECT_TRUE(underlay.isNull()) << "goes with its widget";
}

// A button in a row exactly its size: drawn in the row, its shadow would be cut to the row's box. It lies in the
// nearest ancestor with room instead, under the branch that holds the button, and follows the row; never above a
// surface, which then cuts what does not fit at its own edge.
TEST(ShadowUnderlay, ATightParentLeavesTheShadowToTheNearestAncestorWithRoom) {
    const DropShadow shadow{QColor::fromRgbF(0.5, 0.2, 0.9, 0.3f), 8, {0, 4}, 12, DropShadow::Shape::roundedRect};
    QWidget window;
    window.resize(500, 400);
    auto* surface = new QWidget(&window);
    surface->setGeometry(20, 20, 400, 300);
    ShadowUnderlay::markSurface(surface);
    auto* row = new QWidget(surface);
    row->setGeometry(40, 50, 200, 40);
    auto* button = new QWidget(row);
    button->setGeometry(0, 0, 200, 40);
    QPointer<ShadowUnderlay> underlay = new ShadowUnderlay(button, shadow);
    window.show();

    const auto placedIn = [&](QWidget* host) {
        ASSERT_EQ(underlay->parentWidget(), host);
        EXPECT_EQ(underlay->geometry(),
                  QRect(button->mapTo(host, QPoint(0, 0)), button->size()).marginsAdded(shadow.reach()));
        QWidget* branch = button;
        while (branch->parentWidget() != host) branch = branch->parentWidget();
        const QObjectList children = host->children();
        EXPECT_EQ(children.indexOf(underlay.data()) + 1, children.indexOf(branch)) << "right under the branch";
        EXPECT_TRUE(underlay->isVisible());
    };
    placedIn(surface);
    row->move(60, 120);
    placedIn(surface);
    row->raise();
    placedIn(surface);
    row->hide();
    EXPECT_FALSE(underlay->isVisible());
    row->show();
    EXPECT_TRUE(underlay->isVisible());

    // Room in the row itself: the shadow needs to go no further.
    row->resize(200 + 2 * 30, 40 + 2 * 30);
    button->move(30, 30);
    placedIn(row);

    // A surface too small still keeps it: the shadow lies on its body and is cut at its edge, never beneath it.
    row->setGeometry(0, 0, 200, 40);
    button->move(0, 0);
    surface->resize(200, 40);
    placedIn(surface);
}

}  // namespace
}  // namespace clicktrove
