#pragma once

#include "services/accent_theme_color.hpp"

#include <QIcon>
#include <QWidget>

namespace clicktrove {

// The application's icon and name at the top of the sidebar. The icon is the application's own; only when there
// is none a gradient circle with the cursor symbol stands in.
class SidebarHeader final : public QWidget {
    Q_OBJECT
public:
    explicit SidebarHeader(QWidget* parent = nullptr);

    void setAccent(AccentThemeColor accent);
    // Null when the drawn stand-in is shown.
    const QIcon& appIcon() const { return appIcon_; }
    // The icon the header shows: the bundled application icon, else the application window icon, else none.
    static QIcon findAppIcon();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon appIcon_;
    AccentThemeColor accent_ = AccentThemeColor::blue;
};

}  // namespace clicktrove
