#include "views/symbol_fallback.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cstring>
#include <numbers>

namespace clicktrove {

namespace {

struct ThemeName {
    const char* symbol;
    const char* theme;
};

constexpr ThemeName kThemeNames[] = {
    {"person.fill", "avatar-default"},
    {"globe", "applications-internet"},
    {"chevron.left.forwardslash.chevron.right", "text-x-script"},
    {"mappin.circle.fill", "mark-location"},
    {"cursorarrow.click.badge.clock", "input-mouse"},
    {"gearshape.fill", "preferences-system"},
};

bool same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// Draws a known glyph into the unit square scaled to `side`; false when the name has none.
bool drawGlyph(QPainter& p, const char* name, double side, const QColor& color) {
    const double s = side;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    if (same(name, "play.fill")) {
        QPainterPath path;
        path.moveTo(0.22 * s, 0.12 * s);
        path.lineTo(0.86 * s, 0.5 * s);
        path.lineTo(0.22 * s, 0.88 * s);
        path.closeSubpath();
        p.drawPath(path);
        return true;
    }
    if (same(name, "stop.fill")) {
        p.drawRoundedRect(QRectF(0.18 * s, 0.18 * s, 0.64 * s, 0.64 * s), 0.08 * s, 0.08 * s);
        return true;
    }
    if (same(name, "pause.fill")) {
        p.drawRoundedRect(QRectF(0.2 * s, 0.14 * s, 0.22 * s, 0.72 * s), 0.05 * s, 0.05 * s);
        p.drawRoundedRect(QRectF(0.58 * s, 0.14 * s, 0.22 * s, 0.72 * s), 0.05 * s, 0.05 * s);
        return true;
    }
    if (same(name, "hand.raised.fill")) {
        // Four fingers, a thumb and the palm.
        const double fingers[][3] = {{0.26, 0.2, 0.50}, {0.40, 0.08, 0.50}, {0.54, 0.1, 0.50}, {0.68, 0.2, 0.50}};
        for (const auto& f : fingers)
            p.drawRoundedRect(QRectF(f[0] * s, f[1] * s, 0.12 * s, f[2] * s), 0.06 * s, 0.06 * s);
        p.drawRoundedRect(QRectF(0.26 * s, 0.45 * s, 0.54 * s, 0.45 * s), 0.18 * s, 0.18 * s);
        p.save();
        p.translate(0.26 * s, 0.62 * s);
        p.rotate(-40);
        p.drawRoundedRect(QRectF(-0.06 * s, -0.32 * s, 0.12 * s, 0.34 * s), 0.06 * s, 0.06 * s);
        p.restore();
        return true;
    }
    if (same(name, "arrow.clockwise")) {
        QPen pen(color, 0.11 * s, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF ring(0.18 * s, 0.18 * s, 0.64 * s, 0.64 * s);
        p.drawArc(ring, 80 * 16, -320 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        QPainterPath head;
        head.moveTo(0.5 * s, 0.02 * s);
        head.lineTo(0.72 * s, 0.18 * s);
        head.lineTo(0.5 * s, 0.34 * s);
        head.closeSubpath();
        p.drawPath(head);
        return true;
    }
    if (same(name, "arrow.up.right")) {
        p.setPen(QPen(color, 0.12 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(0.22 * s, 0.78 * s), QPointF(0.76 * s, 0.24 * s));
        p.drawPolyline(
            QPolygonF({QPointF(0.36 * s, 0.24 * s), QPointF(0.76 * s, 0.24 * s), QPointF(0.76 * s, 0.64 * s)}));
        return true;
    }
    if (same(name, "gearshape.fill")) {
        const QPointF c(0.5 * s, 0.5 * s);
        QPainterPath gear;
        constexpr int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const double a = i * std::numbers::pi / teeth;
            const double r = (i % 2 == 0 ? 0.46 : 0.36) * s;
            const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
            i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
        }
        gear.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(c, 0.14 * s, 0.14 * s);
        p.drawPath(gear.subtracted(hole));
        return true;
    }
    return false;
}

}  // namespace

QPixmap symbolPixmap(const char* symbolName, int size, const QColor& color, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (drawGlyph(painter, symbolName, size, color)) return pixmap;
    for (const auto& entry : kThemeNames) {
        if (!same(entry.symbol, symbolName)) continue;
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(entry.theme));
        if (!themed.isNull()) {
            painter.end();
            return themed.pixmap(QSize(size, size), devicePixelRatio);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(size * 0.3, size * 0.3, size * 0.4, size * 0.4));
    return pixmap;
}

QIcon symbolIcon(const char* symbolName, const QColor& color, int size) {
    return QIcon(symbolPixmap(symbolName, size, color, 2.0));
}

}  // namespace clicktrove
