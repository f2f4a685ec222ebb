#include "ui/design/vaq_section_header.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/help_popover.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <utility>

namespace clicktrove {

namespace {

constexpr int kTileSide = 30;
constexpr qreal kTileRadius = 8.0;

// The tinted square with the symbol on it.
class IconTile final : public QWidget {
public:
    IconTile(const VaqSectionHeader& header, QWidget* parent) : QWidget(parent), header_(header) {
        setFixedSize(kTileSide, kTileSide);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QColor color = header_.iconColor().current();
        painter.fillPath(continuousRoundedRect(QRectF(rect()), kTileRadius), withOpacity(color, 0.18));
        SymbolIcons::paint(painter, QRectF(rect()), header_.symbol(), color, designFont(14, QFont::DemiBold));
    }

private:
    const VaqSectionHeader& header_;
};

// The plain "info.circle" button; it draws only the symbol.
class InfoButton final : public QAbstractButton {
public:
    explicit InfoButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::TabFocus);
        setToolTip(QString());
        setAccessibleName(QStringLiteral("Info"));
        const int side = static_cast<int>(std::ceil(SymbolIcons::extent(designFont(12))));
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        if (isDown()) painter.setOpacity(0.75);
        SymbolIcons::paint(painter, QRectF(rect()), QStringLiteral("info.circle"), ThemeColors::textSecondary(),
                           designFont(12));
        focus_ring::paintEllipse(painter, *this, QRectF(rect()));
    }
};

}  // namespace

VaqSectionHeader::VaqSectionHeader(QString icon, QString title, AdaptiveColor iconColor, std::optional<QString> info,
                                   QWidget* parent)
    : QWidget(parent), symbol_(std::move(icon)), iconColor_(std::move(iconColor)), info_(std::move(info)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    tile_ = new IconTile(*this, this);
    title_ = new QLabel(title, this);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(designFont(13, QFont::Bold, FontDesign::rounded));
    row->addWidget(tile_, 0, Qt::AlignVCenter);
    row->addWidget(title_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    rebuildInfoButton();
    applyColors();
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { applyColors(); });
}

VaqSectionHeader::~VaqSectionHeader() {
    // The popover is a child window of the button; delete it first so its hide callback never reaches a
    // half-destroyed header.
    delete popover_;
}

QString VaqSectionHeader::title() const {
    return title_->text();
}

void VaqSectionHeader::setSymbol(const QString& icon) {
    symbol_ = icon;
    tile_->update();
}

void VaqSectionHeader::setTitle(const QString& title) {
    title_->setText(title);
}

void VaqSectionHeader::setIconColor(const AdaptiveColor& color) {
    iconColor_ = color;
    tile_->update();
}

void VaqSectionHeader::setInfo(const std::optional<QString>& info) {
    if (info == info_) return;
    info_ = info;
    const bool wasShown = showInfo_;
    setInfoShown(false);
    rebuildInfoButton();
    // An open popover shows the new text.
    if (wasShown && info_) setInfoShown(true);
}

void VaqSectionHeader::rebuildInfoButton() {
    if (info_.has_value() == (infoButton_ != nullptr)) return;
    if (!info_) {
        delete infoButton_;
        infoButton_ = nullptr;
        return;
    }
    infoButton_ = new InfoButton(this);
    connect(infoButton_, &QAbstractButton::clicked, this, [this] { setInfoShown(!showInfo_); });
    static_cast<QHBoxLayout*>(layout())->addWidget(infoButton_, 0, Qt::AlignVCenter);
}

QWidget* VaqSectionHeader::infoPopover() const {
    return popover_;
}

void VaqSectionHeader::setInfoShown(bool shown) {
    if (shown && (!info_ || infoButton_ == nullptr)) return;
    if (shown == showInfo_) return;
    showInfo_ = shown;
    if (!shown) {
        if (popover_ != nullptr) {
            auto* popover = popover_;
            popover_ = nullptr;
            popover->close();
        }
        return;
    }
    auto* popover = new HelpPopover(*info_, infoButton_, [this] {
        // Dismissed by the platform (a click outside) or by the toggle: either way it is gone.
        popover_ = nullptr;
        showInfo_ = false;
    });
    popover_ = popover;
    popover->popUp();
}

void VaqSectionHeader::applyColors() {
    QPalette palette = title_->palette();
    palette.setColor(QPalette::WindowText, ThemeColors::textPrimary());
    title_->setPalette(palette);
    tile_->update();
    if (infoButton_ != nullptr) infoButton_->update();
}

}  // namespace clicktrove
