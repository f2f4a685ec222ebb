#pragma once

#include <QDialog>
#include <QSize>

class QVBoxLayout;

namespace clicktrove {

// The frame of the preset sheets: a window of a fixed size, always dark whatever the theme, on the background
// colour, holding one centred column with 20 points between its items and 28 points at the sides. The column sits
// in the middle of the height; the space above and below it is what the fixed height leaves, and only when the
// content needs more than the height allows (a large system font) does the sheet grow taller.
class SheetDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSpacing = 20;
    static constexpr int kSidePadding = 28;
    // Never less above and below the column, even when the sheet has to grow for it.
    static constexpr int kMinimumVerticalPadding = 8;

    SheetDialog(QSize size, QWidget* parent = nullptr);

    // The column the content goes into.
    QVBoxLayout* column() const { return column_; }
    // Call once the content is in: fixes the size.
    void fitSize();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize size_;
    QVBoxLayout* column_ = nullptr;
};

}  // namespace clicktrove
