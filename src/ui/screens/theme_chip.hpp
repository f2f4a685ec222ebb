#pragma once

#include "services/accent_theme_color.hpp"
#include "services/app_theme.hpp"

#include <QAbstractButton>

namespace clicktrove {

// One theme choice of the Settings screen: its name on the accent gradient when selected, on the raised surface
// otherwise. Pressing it always reports a click, also when it is already the selected one.
class ThemeChip final : public QAbstractButton {
    Q_OBJECT
public:
    explicit ThemeChip(AppTheme theme, QWidget* parent = nullptr);

    AppTheme theme() const { return theme_; }
    bool isSelected() const { return selected_; }
    void setState(bool selected, AccentThemeColor accent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppTheme theme_;
    bool selected_ = false;
    AccentThemeColor accent_ = AccentThemeColor::blue;
};

}  // namespace clicktrove
