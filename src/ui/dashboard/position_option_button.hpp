#pragma once

#include "services/accent_theme_color.hpp"

#include <QAbstractButton>

namespace clicktrove {

// One choice of the target mode: a radio ring and the option's name; the selected one in the accent colour.
class PositionOptionButton final : public QAbstractButton {
    Q_OBJECT
public:
    PositionOptionButton(const QString& text, QWidget* parent = nullptr);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    void setAccent(AccentThemeColor accent);

    // Room around the symbol and the name for the keyboard focus ring; the row it sits in allows for it.
    static constexpr int kRingRoom = 3;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool selected_ = false;
    AccentThemeColor accent_ = AccentThemeColor::blue;
};

}  // namespace clicktrove
