#include "ui/screens/preset_row.hpp"

#include "ui/design/adaptive_color.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/screens/presets_view.hpp"
#include "ui/screens/view_style.hpp"
#include "ui/widgets/ringed_buttons.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace clicktrove {

namespace {

constexpr int kNameMinimumWidth = 120;

}  // namespace

namespace {

constexpr qreal kCorner = 14;

QPixmap tilePixmap(bool active, AccentThemeColor accent, bool dark) {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(34, 34) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0, 0, 34, 34);
    const QPainterPath shape = continuousRoundedRect(box, 8);
    if (active) {
        painter.fillPath(shape, ThemeGradient::accent(accent).toLinearGradient(box, dark));
    } else {
        painter.fillPath(shape, ThemeColors::surfaceRaised(dark));
    }
    const QFont font = designFont(14, QFont::DemiBold);
    const qreal extent = SymbolIcons::extent(font);
    SymbolIcons::paint(painter, QRectF((34 - extent) / 2, (34 - extent) / 2, extent, extent),
                       QStringLiteral("slider.horizontal.2.square"),
                       active ? QColor(Qt::white) : ThemeColors::textSecondary(dark), font);
    return pixmap;
}

}  // namespace

PresetRow::PresetRow(ClickPreset preset, bool active, AccentThemeColor accent, QWidget* parent)
    : QWidget(parent), preset_(std::move(preset)), active_(active), accent_(accent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(14);

    auto* favorite = new RingedToolButton;
    favorite->setRing(6, false);
    favorite_ = favorite;
    favorite_->setObjectName(QStringLiteral("favoriteButton"));
    favorite_->setAutoRaise(true);
    favorite_->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; outline: none; }"));
    favorite_->setCursor(Qt::PointingHandCursor);
    favorite_->setToolTip(preset_.isFavorite ? tr("Remove Favorite") : tr("Make Favorite"));
    connect(favorite_, &QToolButton::clicked, this, &PresetRow::favoriteClicked);
    row->addWidget(favorite_);

    tile_ = new QLabel;
    tile_->setFixedSize(34, 34);
    row->addWidget(tile_);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* nameLine = new QHBoxLayout;
    nameLine->setSpacing(6);
    name_ = new ThemedLabel(QString::fromStdString(preset_.name), designFont(13, QFont::Bold, FontDesign::rounded),
                            ThemeColors::vaqTextPrimary(), this);
    name_->setObjectName(QStringLiteral("presetName"));
    name_->setTextFormat(Qt::PlainText);
    name_->setElideMode(Qt::ElideRight);
    name_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    // A long name gives way (cut with an ellipsis, whole in the tooltip) rather than widening the list, and the
    // window, past the screen.
    name_->setMinimumWidth(std::min(name_->sizeHint().width(), kNameMinimumWidth));
    nameLine->addWidget(name_);
    if (active_) {
        badge_ = new QLabel(QStringLiteral("ACTIVE"));
        badge_->setObjectName(QStringLiteral("activeBadge"));
        QFont badgeFont = designFont(8, QFont::Black);
        badgeFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
        badge_->setFont(badgeFont);
        nameLine->addWidget(badge_);
    }
    nameLine->addStretch(1);
    texts->addLayout(nameLine);
    const auto type = displayText(preset_.config.clickType);
    detail_ = view_style::label(QString::fromUtf8(type.data(), static_cast<qsizetype>(type.size())) +
                                    QStringLiteral(" \u00B7 ") + PresetsView::intervalText(preset_.config),
                                11, QFont::Normal, "secondary");
    detail_->setObjectName(QStringLiteral("presetDetail"));
    texts->addWidget(detail_);
    row->addLayout(texts, 1);

    load_ = new VaqGhostButton(tr("Load"), QStringLiteral("arrow.down.circle"), ThemeColors::purple(),
                               [this] { emit loadClicked(); });
    load_->setObjectName(QStringLiteral("loadButton"));
    row->addWidget(load_);

    auto* favoriteAction = new QAction(preset_.isFavorite ? tr("Remove Favorite") : tr("Make Favorite"), this);
    auto* renameAction = new QAction(tr("Rename"), this);
    auto* duplicateAction = new QAction(tr("Duplicate"), this);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    auto* deleteAction = new QAction(tr("Delete"), this);
    connect(favoriteAction, &QAction::triggered, this, &PresetRow::favoriteFromMenu);
    connect(renameAction, &QAction::triggered, this, &PresetRow::renameRequested);
    connect(duplicateAction, &QAction::triggered, this, &PresetRow::duplicateRequested);
    connect(deleteAction, &QAction::triggered, this, &PresetRow::deleteRequested);
    addActions({favoriteAction, renameAction, duplicateAction, separator, deleteAction});
    setContextMenuPolicy(Qt::ActionsContextMenu);

    shadow_ = new ShadowUnderlay(
        this, {QColor::fromRgbF(0, 0, 0, 0.3f), 8, QPointF(0, 2), kCorner, DropShadow::Shape::roundedRect});

    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { restyle(); });
    restyle();
}

void PresetRow::restyle() {
    const bool dark = view_style::isDark();
    const QFont starFont = designFont(14);
    favorite_->setIcon(preset_.isFavorite
                           ? SymbolIcons::icon(QStringLiteral("star.fill"), ThemeColors::amber(), starFont)
                           : SymbolIcons::icon(QStringLiteral("star"), ThemeColors::textSecondary(dark), starFont));
    favorite_->setIconSize(QSize(18, 18));
    tile_->setPixmap(tilePixmap(active_, accent_, dark));
    const QColor purple = ThemeColors::purple();
    if (badge_) {
        badge_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border-radius: 4px;"
                                             " padding: 2px 5px; }")
                                  .arg(view_style::css(purple), view_style::css(withOpacity(purple, 0.2))));
    }
    const QList<QAction*> entries = actions();
    const QColor menuIcon = ThemeColors::textSecondary(dark);
    const QFont menuFont = designFont(13);
    entries[0]->setIcon(SymbolIcons::icon(QStringLiteral("star"), menuIcon, menuFont));
    entries[1]->setIcon(SymbolIcons::icon(QStringLiteral("pencil"), menuIcon, menuFont));
    entries[2]->setIcon(SymbolIcons::icon(QStringLiteral("plus.square.on.square"), menuIcon, menuFont));
    entries[4]->setIcon(SymbolIcons::icon(QStringLiteral("trash"), ThemeColors::red(), menuFont));
    if (shadow_) {
        DropShadow shadow = shadow_->shadow();
        shadow.color = active_ ? withOpacity(purple, 0.15) : QColor::fromRgbF(0, 0, 0, 0.2f);
        shadow_->setShadow(shadow);
    }
    update();
}

void PresetRow::paintEvent(QPaintEvent*) {
    const bool dark = view_style::isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    painter.fillPath(continuousRoundedRect(box, kCorner), ThemeColors::surface(dark));
    painter.setPen(QPen(active_ ? withOpacity(ThemeColors::purple(), 0.4) : ThemeColors::border(dark), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(borderRect(box), kCorner));
}

}  // namespace clicktrove
