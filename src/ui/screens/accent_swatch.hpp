#pragma once

#include "services/accent_theme_color.hpp"

#include <QAbstractButton>

namespace clicktrove {

// One accent colour of the Settings screen: a filled circle with its name below; the selected one carries a
// checkmark and a white ring. Pressing it always reports a click, also when it is already selected.
class AccentSwatch final : public QAbstractButton {
    Q_OBJECT
public:
    explicit AccentSwatch(AccentThemeColor color, QWidget* parent = nullptr);

    AccentThemeColor color() const { return color_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AccentThemeColor color_;
    bool selected_ = false;
};

}  // namespace clicktrove
