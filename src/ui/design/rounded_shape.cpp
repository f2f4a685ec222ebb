#include "ui/design/rounded_shape.hpp"

#include <algorithm>
#include <cmath>

namespace clicktrove {

namespace {
// How far a continuous corner reaches into its edges, in radii, and the control points of its three cubic
// segments (the well-known fit of the continuous-curvature corner).
constexpr qreal kReach = 1.52866483;
constexpr qreal kC1 = 1.08849323;
constexpr qreal kC2 = 0.86840689;
constexpr qreal kJoinX = 0.63149399;
constexpr qreal kJoinY = 0.07491100;
constexpr qreal kMidA = 0.37282392;
constexpr qreal kMidB = 0.16905300;
}  // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    if (rect.isEmpty()) return path;
    const qreal r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / (2.0 * kReach));
    if (r <= 0.0) {
        path.addRect(rect);
        return path;
    }
    const qreal l = rect.left(), t = rect.top(), ri = rect.right(), b = rect.bottom();
    // Each corner is written once in a frame where (ox, oy) is the corner and (dx, dy) point into the rectangle
    // along the edge the path arrives on (a) and the edge it leaves on (b).
    const auto corner = [&](QPointF origin, QPointF alongIn, QPointF alongOut) {
        const auto at = [&](qreal in, qreal out) { return origin + alongIn * (in * r) + alongOut * (out * r); };
        path.lineTo(at(kReach, 0));
        path.cubicTo(at(kC1, 0), at(kC2, 0), at(kJoinX, kJoinY));
        path.cubicTo(at(kMidA, kMidB), at(kMidB, kMidA), at(kJoinY, kJoinX));
        path.cubicTo(at(0, kC2), at(0, kC1), at(0, kReach));
    };
    path.moveTo(l + kReach * r, t);
    corner({ri, t}, {-1, 0}, {0, 1});  // top right: arrive going right, leave going down
    corner({ri, b}, {0, -1}, {-1, 0});
    corner({l, b}, {1, 0}, {0, -1});
    corner({l, t}, {0, 1}, {1, 0});
    path.closeSubpath();
    return path;
}

int continuousCornerReach(qreal radius) {
    return static_cast<int>(std::ceil(kReach * std::max(0.0, radius)));
}

QRegion continuousRoundedRectInterior(const QRect& rect, qreal radius) {
    const int reach = continuousCornerReach(radius);
    QRegion interior(rect.adjusted(reach, 0, -reach, 0));
    return interior.united(rect.adjusted(0, reach, 0, -reach));
}

QRectF borderRect(const QRectF& rect, qreal strokeWidth) {
    const qreal half = strokeWidth / 2.0;
    return rect.adjusted(half, half, -half, -half);
}

}  // namespace clicktrove
