#include "ui/widgets/info_helper_button.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace clicktrove {

namespace {

constexpr int kPadding = 14;

// Closes on a click outside like any popup; a click on its own button only closes it (the press is not replayed
// to the button, which would open it again).
class HelpPopover final : public QFrame {
public:
    HelpPopover(const QString& text, QWidget* anchor, std::function<void()> onHidden)
        : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint), anchor_(anchor), onHidden_(std::move(onHidden)) {
        setObjectName("InfoPopover");
        setAttribute(Qt::WA_DeleteOnClose);
        setPalette(QGuiApplication::palette());
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
        auto* label = new QLabel(this);
        label->setObjectName("InfoText");
        label->setWordWrap(true);
        label->setFont(designFont(12));
        // A line height three points above the font's own.
        label->setText(QStringLiteral("<div style=\"line-height:%1px\">%2</div>")
                           .arg(QFontMetrics(label->font()).lineSpacing() + 3)
                           .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
        layout->addWidget(label);
        setFixedWidth(InfoHelperButton::kPopoverWidth);
        const int h = layout->heightForWidth(InfoHelperButton::kPopoverWidth);
        setFixedHeight(h > 0 ? h : sizeHint().height());
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!rect().contains(event->position().toPoint()) && anchor_ &&
            anchor_->rect().contains(anchor_->mapFromGlobal(event->globalPosition().toPoint()))) {
            setAttribute(Qt::WA_NoMouseReplay);
        }
        QFrame::mousePressEvent(event);
    }

    // Closed by a click elsewhere or by the button: either way the button must know at once, not when the
    // deferred deletion runs.
    void hideEvent(QHideEvent* event) override {
        QFrame::hideEvent(event);
        if (onHidden_) std::exchange(onHidden_, nullptr)();
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }

private:
    QWidget* anchor_;
    std::function<void()> onHidden_;
};

}  // namespace

InfoHelperButton::InfoHelperButton(const QString& text, QWidget* parent) : QAbstractButton(parent), text_(text) {
    setObjectName("InfoHelperButton");
    setAccessibleName(tr("Info"));
    setAccessibleDescription(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] { setPresented(!isPresented()); });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

InfoHelperButton::~InfoHelperButton() {
    delete popover_.data();
}

QSize InfoHelperButton::sizeHint() const {
    const int side = static_cast<int>(std::ceil(SymbolIcons::extent(designFont(11))));
    return {side, side};
}

void InfoHelperButton::setPresented(bool presented) {
    if (presented == isPresented()) return;
    if (!presented) {
        QFrame* popover = popover_;
        popover_ = nullptr;
        popover->close();
        return;
    }
    auto* popover = new HelpPopover(text_, this, [this] { popover_ = nullptr; });
    popover_ = popover;
    const QPoint anchor = mapToGlobal(QPoint(width() / 2, height() + 4));
    QPoint topLeft(anchor.x() - popover->width() / 2, anchor.y());
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - popover->width())));
        if (topLeft.y() + popover->height() > area.bottom()) {
            topLeft.setY(mapToGlobal(QPoint(0, 0)).y() - popover->height() - 4);
        }
    }
    popover->move(topLeft);
    popover->show();
}

void InfoHelperButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) p.setOpacity(0.75);
    SymbolIcons::paint(p, QRectF(rect()), QStringLiteral("info.circle"), ThemeColors::textSecondary(), designFont(11));
}

}  // namespace clicktrove
