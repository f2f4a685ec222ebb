#include "ui/shell/floating_panel_view.hpp"

#include "services/accent_colors.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/disc_painter.hpp"
#include "ui/design/live_text.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/view_fonts.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdint>

namespace clicktrove {

namespace {

// The panel is always dark, so it takes the dark variants of the system colours.
QColor systemGreen() {
    return accentColor(AccentThemeColor::green, true);
}
QColor systemYellow() {
    return accentColor(AccentThemeColor::yellow, true);
}
QColor systemRed() {
    return accentColor(AccentThemeColor::red, true);
}
QColor systemGray() {
    return QColor::fromRgbF(0.557f, 0.557f, 0.576f);
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

QLabel* makeLabel(const QFont& font, const QColor& color, QWidget* parent, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    setTextColor(label, color);
    return label;
}

LiveText* makeLiveText(const QFont& font, const QColor& color, Qt::Alignment alignment, QWidget* parent) {
    auto* text = new LiveText(parent);
    text->setFont(font);
    text->setAlignment(alignment);
    setTextColor(text, color);
    return text;
}

// The round status light left of the status text.
class StatusDot final : public QWidget {
public:
    explicit StatusDot(QWidget* parent) : QWidget(parent) { setFixedSize(8, 8); }
    void setColor(const QColor& color) {
        if (color == color_) return;
        color_ = color;
        update();
    }
    const QColor& color() const { return color_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintDisc(p, QRectF(rect()), color_);
    }

private:
    QColor color_;
};

// Icon-only run button. Prominent buttons are filled with their tint; plain ones get a faint white fill.
QPushButton* makeButton(const char* symbol, const QString& name, const QColor* tint, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(name);
    button->setToolTip(name);
    const QFont glyphFont = designFont(13, QFont::DemiBold);
    button->setIcon(SymbolIcons::icon(QString::fromLatin1(symbol), Qt::white, glyphFont));
    const int side = static_cast<int>(SymbolIcons::extent(glyphFont));
    button->setIconSize(QSize(side, side));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFocusPolicy(Qt::NoFocus);
    const QColor fill = tint != nullptr ? *tint : QColor::fromRgbF(1, 1, 1, 0.14f);
    const QColor pressed = tint != nullptr ? tint->darker(125) : QColor::fromRgbF(1, 1, 1, 0.24f);
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; border: none; border-radius: 5px;"
                                         " padding: 5px 0px; }"
                                         "QPushButton:pressed { background: %2; }")
                              .arg(fill.name(QColor::HexArgb), pressed.name(QColor::HexArgb)));
    return button;
}

}  // namespace

FloatingPanelView::FloatingPanelView(AutoClickerViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    // As small as 220 x 160; in a panel made larger the rows keep their heights, the buttons share the width and
    // the whole stands in the middle.
    setMinimumSize(kWidth, kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 14);
    outer->setSpacing(0);
    outer->addStretch(1);
    auto* stack = new QVBoxLayout;
    stack->setSpacing(12);
    outer->addLayout(stack);
    outer->addStretch(1);

    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(4, 0, 4, 0);
    statusRow->setSpacing(8);
    auto* dot = new StatusDot(this);
    dot_ = dot;
    status_ = makeLabel(ViewFonts::style(ViewFonts::Style::caption, QFont::Bold), Qt::white, this);
    status_->setObjectName(QStringLiteral("status"));
    clicks_ = makeLiveText(ViewFonts::style(ViewFonts::Style::caption2), systemGray(),
                           Qt::AlignRight | Qt::AlignVCenter, this);
    clicks_->setObjectName(QStringLiteral("clicks"));
    statusRow->addWidget(dot, 0, Qt::AlignVCenter);
    statusRow->addWidget(status_, 0, Qt::AlignVCenter);
    statusRow->addStretch(1);
    statusRow->addWidget(clicks_, 0, Qt::AlignVCenter);
    stack->addLayout(statusRow);

    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, QColor::fromRgbF(1, 1, 1, 0.2f));
    divider->setPalette(dividerPalette);
    stack->addWidget(divider);

    auto* statsRow = new QHBoxLayout;
    statsRow->setContentsMargins(4, 0, 4, 0);
    statsRow->setSpacing(16);
    const auto column = [this, statsRow](const QString& caption, LiveText*& value) {
        auto* box = new QVBoxLayout;
        box->setSpacing(2);
        box->addWidget(makeLabel(ViewFonts::system(8), systemGray(), this, caption));
        value = makeLiveText(ViewFonts::style(ViewFonts::Style::subheadline, QFont::Bold), Qt::white,
                             Qt::AlignLeft | Qt::AlignVCenter, this);
        box->addWidget(value);
        statsRow->addLayout(box);
    };
    column(QStringLiteral("SPEED"), speed_);
    column(QStringLiteral("DURATION"), duration_);
    speed_->setObjectName(QStringLiteral("speed"));
    duration_->setObjectName(QStringLiteral("duration"));
    statsRow->addStretch(1);
    stack->addLayout(statsRow);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    const QColor green = systemGreen();
    const QColor red = systemRed();
    start_ = makeButton("play.fill", QStringLiteral("Start"), &green, this);
    stop_ = makeButton("stop.fill", QStringLiteral("Stop"), &red, this);
    pause_ = makeButton("pause.fill", QStringLiteral("Pause"), nullptr, this);
    resume_ = makeButton("play.fill", QStringLiteral("Resume"), nullptr, this);
    for (QPushButton* button : {start_, stop_, pause_, resume_}) buttons->addWidget(button);
    stack->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] { viewModel_.startClicking(); });
    connect(stop_, &QPushButton::clicked, this, [this] { viewModel_.stopClicking(); });
    connect(pause_, &QPushButton::clicked, this, [this] { viewModel_.pauseClicking(); });
    connect(resume_, &QPushButton::clicked, this, [this] { viewModel_.resumeClicking(); });
    connect(&viewModel_, &AutoClickerViewModel::changed, this, &FloatingPanelView::refresh);
    refresh();
}

QString FloatingPanelView::durationText(double elapsedTime) {
    // The view model never hands out such times; keep the text readable if it ever did.
    std::int64_t seconds = 0;
    if (std::isfinite(elapsedTime) && elapsedTime > 0) {
        seconds = elapsedTime >= 9.2e18 ? INT64_MAX : static_cast<std::int64_t>(elapsedTime);
    }
    return QString::asprintf("%02lld:%02lld", static_cast<long long>(seconds / 60),
                             static_cast<long long>(seconds % 60));
}

QColor FloatingPanelView::statusColor(const QString& status) {
    if (status == QLatin1String("Running")) return systemGreen();
    if (status == QLatin1String("Paused")) return systemYellow();
    return systemRed();
}

QColor FloatingPanelView::statusDotColor() const {
    return static_cast<StatusDot*>(dot_)->color();
}

void FloatingPanelView::refresh() {
    static_cast<StatusDot*>(dot_)->setColor(statusColor(viewModel_.status()));
    status_->setText(viewModel_.status());
    clicks_->setText(QString::number(viewModel_.totalClicks()) + QStringLiteral(" clicks"));
    speed_->setText(QString::number(viewModel_.cps()) + QStringLiteral(" CPS"));
    duration_->setText(durationText(viewModel_.elapsedTime()));

    const bool running = viewModel_.isRunning();
    const bool paused = viewModel_.isPaused();
    start_->setVisible(!running);
    stop_->setVisible(running);
    pause_->setVisible(running && !paused);
    resume_->setVisible(running && paused);
}

void FloatingPanelView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.85f));
}

}  // namespace clicktrove
