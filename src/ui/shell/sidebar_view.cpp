#include "ui/shell/sidebar_view.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/screens/view_style.hpp"
#include "ui/shell/sidebar_header.hpp"
#include "ui/shell/sidebar_tab_row.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

// A one-point rule in the border colour, inset at both sides.
class SidebarDivider final : public QWidget {
public:
    explicit SidebarDivider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect().adjusted(16, 0, -16, 0), ThemeColors::border());
    }
};

// The green dot of the version line.
class StatusDot final : public QWidget {
public:
    explicit StatusDot(QWidget* parent) : QWidget(parent) { setFixedSize(6, 6); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ThemeColors::green());
        p.drawEllipse(rect());
    }
};

}  // namespace

SidebarView::SidebarView(AutoClickerViewModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("Sidebar");
    setFixedWidth(kWidth);
    setAttribute(Qt::WA_StyledBackground, false);

    auto* column = new QVBoxLayout(this);
    // One point on the right stays free for the border line.
    column->setContentsMargins(0, 0, 1, 0);
    column->setSpacing(0);

    header_ = new SidebarHeader(this);
    column->addWidget(header_);
    column->addWidget(new SidebarDivider(this));
    column->addSpacing(12);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    auto* list = new QWidget(scroll);
    auto* rowsLayout = new QVBoxLayout(list);
    rowsLayout->setContentsMargins(10, 0, 10, 0);
    rowsLayout->setSpacing(2);
    for (const auto tab : kAllMainViewTabs) {
        auto* row = new SidebarTabRow(tab, list);
        rows_.push_back(row);
        rowsLayout->addWidget(row);
        connect(row, &QAbstractButton::clicked, this, [this, tab] { emit tabClicked(tab); });
    }
    rowsLayout->addStretch();
    scroll->setWidget(list);
    // Filled, the list would paint the desktop's window colour under the "System" theme, a band of another grey
    // below the header.
    view_style::makeTransparent(scroll);
    column->addWidget(scroll, 1);

    column->addWidget(new SidebarDivider(this));
    auto* footer = new QHBoxLayout();
    footer->setContentsMargins(0, 12, 0, 12);
    footer->setSpacing(6);
    footer->addStretch();
    footer->addWidget(new StatusDot(this), 0, Qt::AlignVCenter);
    auto* version = new ThemedLabel(tr("v1.0.0 · Linux (X11)"), designFont(10, QFont::Medium),
                                    ThemeColors::vaqTextSecondary(), this);
    version->setObjectName("VersionLine");
    footer->addWidget(version);
    footer->addStretch();
    column->addLayout(footer);

    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] {
        for (QWidget* w : findChildren<QWidget*>()) w->update();
        update();
    });
}

void SidebarView::setSelectedTab(MainViewTab tab) {
    for (auto* row : rows_) row->setSelected(row->tab() == tab);
}

void SidebarView::setAccent(AccentThemeColor accent) {
    header_->setAccent(accent);
    for (auto* row : rows_) row->setAccent(accent);
}

void SidebarView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ThemeColors::background());
    p.fillRect(QRect(width() - 1, 0, 1, height()), ThemeColors::border());
}

}  // namespace clicktrove
