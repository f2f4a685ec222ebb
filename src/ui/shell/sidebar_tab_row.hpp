#pragma once

#include "services/accent_theme_color.hpp"
#include "ui/shell/main_view_tab.hpp"

#include <QAbstractButton>

namespace clicktrove {

// One row of the sidebar: the tab's icon on a tile and its title; the selected row is tinted in the accent colour.
class SidebarTabRow final : public QAbstractButton {
    Q_OBJECT
public:
    SidebarTabRow(MainViewTab tab, QWidget* parent = nullptr);

    MainViewTab tab() const { return tab_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    void setAccent(AccentThemeColor accent);
    AccentThemeColor accent() const { return accent_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MainViewTab tab_;
    bool selected_ = false;
    AccentThemeColor accent_ = AccentThemeColor::blue;
};

}  // namespace clicktrove
