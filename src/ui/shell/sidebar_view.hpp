#pragma once

#include "services/accent_theme_color.hpp"
#include "ui/shell/main_view_tab.hpp"

#include <QWidget>
#include <vector>

namespace clicktrove {

class AutoClickerViewModel;
class SidebarHeader;
class SidebarTabRow;

// The fixed-width column on the left of the main window: the application's icon and name, one row per tab and
// the version line. A click on a row is reported; the window decides the selection.
class SidebarView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 205;

    explicit SidebarView(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    void setSelectedTab(MainViewTab tab);
    void setAccent(AccentThemeColor accent);
    // In sidebar order.
    const std::vector<SidebarTabRow*>& rows() const { return rows_; }

signals:
    void tabClicked(MainViewTab tab);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SidebarHeader* header_ = nullptr;
    std::vector<SidebarTabRow*> rows_;
};

}  // namespace clicktrove
