#pragma once

#include <QFont>

namespace clicktrove {

enum class FontDesign {
    standard,
    rounded,  // a rounded face when one is installed, otherwise the standard one
    monospaced,
};

// The system font at a size given in points of the layout (one point = one device-independent pixel, the
// unit of every size, padding and radius of the screens), a weight and a design. Sizing in pixels keeps the
// text in proportion to the fixed 30-point tiles and 12-point paddings whatever the desktop's DPI setting.
QFont designFont(qreal points, QFont::Weight weight = QFont::Normal, FontDesign design = FontDesign::standard);

}  // namespace clicktrove
