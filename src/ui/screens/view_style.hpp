#pragma once

#include "ui/design/design_font.hpp"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QBoxLayout;
class QLabel;
class QPainter;
class QRect;
class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace clicktrove {

class GlassCard;
class ThemeGradient;

// What the four screens draw alike beyond the design components: the backdrop, round badges and icon tiles,
// and one style sheet that colours their plain labels and dividers for the current appearance.
namespace view_style {

// The appearance the screens draw under now (the process-wide one that follows the theme setting).
bool isDark();

// The screens' backdrop: the background colour fading to 90 % towards the bottom.
void paintBackground(QPainter& painter, const QRect& rect);

// A symbol of `points` size, weight and colour, as a pixmap for a label.
QPixmap symbol(const QString& name, const QColor& colour, qreal points, QFont::Weight weight = QFont::Normal);
// A circle of `diameter` filled with gradient, a white bold symbol of `symbolPoints` in the middle.
QPixmap badge(const ThemeGradient& gradient, const QString& symbolName, int diameter, qreal symbolPoints);
// A circle of `diameter` in `fill` with a symbol in `colour` in the middle.
QPixmap disc(const QColor& fill, const QString& symbolName, const QColor& colour, int diameter, qreal symbolPoints,
             QFont::Weight weight = QFont::Normal);

// A rounded square of `side` on the raised surface with a semibold symbol in the secondary text colour; its
// colours follow restyle().
QLabel* iconTile(const QString& symbol, int side, int radius, qreal symbolPoints);

// The card's content stack, 14 points between children.
QVBoxLayout* cardStack(GlassCard* card);

// A label with a font and a role the style sheet colours it by: "primary" or "secondary" text.
QLabel* label(const QString& text, qreal points, QFont::Weight weight, const char* role,
              FontDesign design = FontDesign::standard);

// A screen header's left side, appended to row: a 36-point badge, then the title (18, bold, rounded) over a
// count line (11, secondary, object name "countLine"), then a stretch. The caller fills badge and count.
struct TitleBlock {
    QLabel* badge;
    QLabel* count;
};
TitleBlock addTitleBlock(QBoxLayout* row, const QString& title, QFont::Weight countWeight);

// Marks a screen's title (its badge and texts) as what the window's notice toast must not cover.
void keepClearOfToast(QWidget* widget);
bool keepsClearOfToast(const QWidget* widget);

// A one-point horizontal line in the border colour.
QWidget* divider();

// Colours the plain pieces under root for the current appearance by their "role" property: "primary" and
// "secondary" texts, "divider" lines; icon tiles are redrawn.
void restyle(QWidget* root);

// Without frame, scroll bars or backgrounds, so the screen's backdrop shows through; still scrolls by wheel.
// Call after setWidget().
void makeTransparent(QScrollArea* scroll);

// "rgba(r,g,b,a)" for a style sheet.
QString css(const QColor& colour);

}  // namespace view_style

}  // namespace clicktrove
