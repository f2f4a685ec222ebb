#include "ui/design/vaq_section_header.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QAbstractButton>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

namespace clicktrove {

namespace {

constexpr int kTileSide = 30;
constexpr qreal kTileRadius = 8.0;
constexpr int kPopoverWidth = 260;
constexpr int kPopoverPadding = 14;

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
    }
};

// The help popover: closes on a click outside like any popup, but a click on its own info button only closes
// it, instead of closing it and then reopening it through the replayed click.
class InfoPopover final : public QFrame {
public:
    InfoPopover(const QString& text, QWidget* anchor, std::function<void()> onHidden)
        : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint), anchor_(anchor), onHidden_(std::move(onHidden)) {
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameShape(QFrame::NoFrame);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(kPopoverPadding, kPopoverPadding, kPopoverPadding, kPopoverPadding);
        label_ = new QLabel(this);
        label_->setWordWrap(true);
        label_->setTextFormat(Qt::PlainText);
        // Callout text: one point below the body size.
        QFont font = designFont(12);
        label_->setFont(font);
        setText(text);
        layout->addWidget(label_);
        setFixedWidth(kPopoverWidth);
        // The height follows the wrapped text at the fixed width.
        setFixedHeight(layout->heightForWidth(kPopoverWidth) > 0 ? layout->heightForWidth(kPopoverWidth)
                                                                 : sizeHint().height());
    }

    void setText(const QString& text) {
        // Line spacing 3 on top of the font's own: rich text would be needed for QLabel, so use a line height.
        label_->setTextFormat(Qt::RichText);
        label_->setText(QStringLiteral("<div style=\"line-height:%1px\">%2</div>")
                            .arg(QFontMetrics(label_->font()).lineSpacing() + 3)
                            .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    }

    QLabel* label() const { return label_; }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!rect().contains(event->position().toPoint()) && anchor_ != nullptr &&
            anchor_->rect().contains(anchor_->mapFromGlobal(event->globalPosition().toPoint()))) {
            setAttribute(Qt::WA_NoMouseReplay);
        }
        QFrame::mousePressEvent(event);
    }

    void hideEvent(QHideEvent* event) override {
        QFrame::hideEvent(event);
        if (onHidden_) onHidden_();
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }

private:
    QWidget* anchor_;
    std::function<void()> onHidden_;
    QLabel* label_ = nullptr;
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
    if (!info_) setInfoShown(false);
    if (popover_ != nullptr && info_) static_cast<InfoPopover*>(popover_)->setText(*info_);
    rebuildInfoButton();
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
    auto* popover = new InfoPopover(*info_, infoButton_, [this] {
        // Dismissed by the platform (a click outside) or by the toggle: either way it is gone.
        popover_ = nullptr;
        showInfo_ = false;
    });
    popover_ = popover;
    // The platform's own popup colours (the application palette, which a forced theme replaces).
    popover->setPalette(QGuiApplication::palette());
    // Under the button, centred on it, kept on the button's screen.
    const QPoint anchor = infoButton_->mapToGlobal(QPoint(infoButton_->width() / 2, infoButton_->height() + 4));
    QPoint topLeft(anchor.x() - popover->width() / 2, anchor.y());
    if (const QScreen* screen = infoButton_->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - popover->width())));
        if (topLeft.y() + popover->height() > area.bottom()) {
            topLeft.setY(infoButton_->mapToGlobal(QPoint(0, 0)).y() - popover->height() - 4);
        }
    }
    popover->move(topLeft);
    popover->show();
}

void VaqSectionHeader::applyColors() {
    QPalette palette = title_->palette();
    palette.setColor(QPalette::WindowText, ThemeColors::textPrimary());
    title_->setPalette(palette);
    tile_->update();
    if (infoButton_ != nullptr) infoButton_->update();
}

}  // namespace clicktrove
