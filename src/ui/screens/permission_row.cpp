#include "ui/screens/permission_row.hpp"

#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/view_style.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace clicktrove {

PermissionRow::PermissionRow(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    icon_ = new QLabel;
    icon_->setFixedSize(44, 44);
    row->addWidget(icon_);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    title_ = view_style::label(tr("Input Access"), 13, QFont::Bold, "primary");
    status_ = view_style::label(QString(), 11, QFont::Normal, "secondary");
    status_->setObjectName(QStringLiteral("permissionStatus"));
    status_->setWordWrap(true);
    // Centred beside the taller icon as one block: the height the row has to spare goes above and below it, never
    // between the title and the status.
    texts->addStretch(1);
    texts->addWidget(title_);
    texts->addWidget(status_);
    texts->addStretch(1);
    row->addLayout(texts, 1);

    grantAccess_ = new VaqPrimaryButton(tr("Grant Access"), QStringLiteral("arrow.up.right.square"),
                                        ThemeGradient::vaqAmber(), [this] { emit grantAccessClicked(); });
    grantAccess_->setObjectName(QStringLiteral("grantAccess"));
    grantAccess_->setFixedWidth(140);
    row->addWidget(grantAccess_, 0, Qt::AlignVCenter);
    setGranted(false);
}

void PermissionRow::setGranted(bool granted) {
    granted_ = granted;
    const QColor colour = granted ? ThemeColors::green() : ThemeColors::amber();
    QColor fill = colour;
    fill.setAlphaF(0.15);
    icon_->setPixmap(view_style::disc(
        fill, granted ? QStringLiteral("checkmark.shield.fill") : QStringLiteral("exclamationmark.shield.fill"), colour,
        44, 22));
    status_->setText(granted ? tr("Granted — Clicktrove can simulate inputs system-wide.")
                             : tr("Required to simulate clicks and keyboard events."));
    grantAccess_->setVisible(!granted);
}

}  // namespace clicktrove
