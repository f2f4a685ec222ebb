#include "ui/screens/recording_view.hpp"

#include "services/accent_colors.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/screens/recorded_click_delegate.hpp"
#include "ui/screens/recorded_clicks_model.hpp"
#include "ui/screens/view_style.hpp"
#include "ui/widgets/ringed_buttons.hpp"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <cmath>
#include <cstdio>

namespace clicktrove {

namespace {

// The platform's own tints: this screen keeps the desktop look rather than the design components.
const QColor kRed = QColor::fromRgbF(1.0, 0.231, 0.188);
const QColor kOrange = QColor::fromRgbF(1.0, 0.584, 0.0);
const QColor kGreen = QColor::fromRgbF(0.204, 0.78, 0.349);

QString coordinate(double value) {
    if (!std::isfinite(value)) return QStringLiteral("\u2014");
    // Beyond 64 bits only an edited file can go; such values read as the nearest that fits.
    const double whole = std::clamp(std::trunc(value), -9.2e18, 9.2e18);
    return QString::number(static_cast<long long>(whole));
}

// A filled button in the tint with white text, as prominent buttons are drawn; dimmed while disabled. No dotted
// focus rectangle: keyboard focus shows as the white ring of the filled design buttons (RingedPushButton).
void tint(QPushButton* button, const QColor& colour, const QString& padding, bool bold = false) {
    auto rgba = [](const QColor& c, qreal alpha) {
        return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(alpha);
    };
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                         " border-radius: 6px; padding: %3; font-weight: %5; outline: none; }"
                                         "QPushButton:pressed { background: %2; }"
                                         "QPushButton:disabled { background: %4; color: rgba(255,255,255,0.6); }")
                              .arg(rgba(colour, 1.0), rgba(colour.darker(120), 1.0), padding, rgba(colour, 0.4),
                                   bold ? QStringLiteral("bold") : QStringLiteral("normal")));
}

QIcon symbolIcon(const QString& name) {
    return SymbolIcons::icon(name, Qt::white, QApplication::font());
}

QIcon recordingDot(qreal opacity = 1.0) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor dot = kRed.lighter(130);
    dot.setAlphaF(opacity);
    painter.setBrush(dot);
    painter.drawEllipse(QRectF(4, 4, 8, 8));
    return QIcon(pixmap);
}

QFrame* divider() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QWidget* bar(QPalette::ColorRole background, QLayout* content) {
    auto* widget = new QWidget;
    widget->setBackgroundRole(background);
    widget->setAutoFillBackground(true);
    widget->setLayout(content);
    return widget;
}

}  // namespace

RecordingView::RecordingView(AutoClickerViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setSpacing(20);
    auto* record = new RingedPushButton;
    record->setRing(6, true);
    record_ = record;
    record_->setObjectName(QStringLiteral("recordButton"));
    auto* playback = new RingedPushButton;
    playback->setRing(6, true);
    playback_ = playback;
    playback_->setObjectName(QStringLiteral("playbackButton"));
    header->addStretch(1);
    header->addWidget(record_);
    header->addWidget(playback_);
    header->addStretch(1);
    stack->addWidget(bar(QPalette::Base, header));
    stack->addWidget(divider());

    content_ = new QStackedWidget;
    auto* empty = new QWidget;
    auto* emptyStack = new QVBoxLayout(empty);
    emptyStack->setSpacing(12);
    emptyStack->addStretch(1);
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    auto* symbol = new QLabel;
    QFont symbolFont = QApplication::font();
    symbolFont.setPixelSize(48);
    symbol->setPixmap(
        SymbolIcons::pixmap(QStringLiteral("play.rectangle.on.hotspot"), secondary, symbolFont, devicePixelRatioF()));
    emptyStack->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* headline = new QLabel(tr("No Macro Paths Found"));
    QFont headlineFont = QApplication::font();
    headlineFont.setWeight(QFont::Bold);
    headline->setFont(headlineFont);
    headline->setAlignment(Qt::AlignCenter);
    emptyStack->addWidget(headline);
    auto* help = new QLabel(tr("Press 'Record Clicks' to log coordinates and clicks in real-time."));
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignCenter);
    help->setContentsMargins(20, 0, 20, 0);
    help->setForegroundRole(QPalette::PlaceholderText);
    emptyStack->addWidget(help);
    emptyStack->addStretch(1);
    content_->addWidget(empty);

    model_ = new RecordedClicksModel(this);
    list_ = new QListView;
    list_->setObjectName(QStringLiteral("recordedClicks"));
    list_->setModel(model_);
    list_->setAlternatingRowColors(true);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setItemDelegate(new RecordedClickDelegate(
        [this] {
            return accentColor(viewModel_.settingsManager().accentColor(),
                               palette().color(QPalette::Window).lightness() < 128);
        },
        list_));
    content_->addWidget(list_);
    stack->addWidget(content_, 1);

    stack->addWidget(divider());
    auto* footer = new QHBoxLayout;
    footer->setSpacing(20);
    import_ = new QPushButton(tr("Import JSON"));
    import_->setObjectName(QStringLiteral("importButton"));
    export_ = new QPushButton(tr("Export JSON"));
    export_->setObjectName(QStringLiteral("exportButton"));
    footer->addWidget(import_);
    footer->addStretch(1);
    footer->addWidget(export_);
    stack->addWidget(bar(QPalette::Window, footer));
    // Reached with Tab, not taken by a click: a button that turns into another (Play Macro into Stop Playback)
    // must not carry a focus mark the user never asked for.
    for (QPushButton* button : {record_, playback_, import_, export_}) button->setFocusPolicy(Qt::TabFocus);
    // The notices come in at the top centre, where these two stand: they go beside or below them instead, as
    // they keep clear of the other screens' titles.
    view_style::keepClearOfToast(record_);
    view_style::keepClearOfToast(playback_);

    connect(record_, &QPushButton::clicked, this, [this] {
        if (viewModel_.isRecordingMacro()) {
            viewModel_.stopMacroRecording();
        } else {
            viewModel_.startMacroRecording();
        }
    });
    connect(playback_, &QPushButton::clicked, this, [this] {
        if (viewModel_.isPlayingMacro()) {
            viewModel_.stopMacroPlayback();
        } else {
            viewModel_.playMacro();
        }
    });
    connect(import_, &QPushButton::clicked, this, [this] { viewModel_.importMacro(); });

    // The recording dot breathes while a recording runs, so a glance tells that clicks are being captured.
    pulse_ = new QVariantAnimation(this);
    pulse_->setDuration(1000);
    pulse_->setKeyValueAt(0.0, 1.0);
    pulse_->setKeyValueAt(0.5, 0.3);
    pulse_->setKeyValueAt(1.0, 1.0);
    pulse_->setEasingCurve(QEasingCurve::InOutSine);
    pulse_->setLoopCount(-1);
    connect(pulse_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        // Each new icon lays the button out again: ten shades of the dot look as smooth as a new one every frame.
        constexpr int kSteps = 10;
        const int step = static_cast<int>(std::lround(value.toReal() * kSteps));
        if (!viewModel_.isRecordingMacro() || step == pulseStep_) return;
        pulseStep_ = step;
        record_->setIcon(recordingDot(static_cast<qreal>(step) / kSteps));
    });
    connect(export_, &QPushButton::clicked, this, [this] { viewModel_.exportMacro(); });

    // The recorder hears every press of the desktop, its own buttons' too; those drive it and stay out of the macro.
    viewModel_.setRecorderControls([self = QPointer<RecordingView>(this)](const platform::GlobalPoint& point) {
        return self != nullptr && self->isOnControls(point);
    });

    connect(&viewModel_, &AutoClickerViewModel::isRecordingMacroChanged, this, &RecordingView::refresh);
    connect(&viewModel_, &AutoClickerViewModel::isPlayingMacroChanged, this, &RecordingView::refresh);
    connect(&viewModel_, &AutoClickerViewModel::recordedClicksChanged, this, &RecordingView::refresh);
    connect(&viewModel_.settingsManager(), &SettingsManager::accentColorChanged, list_->viewport(),
            qOverload<>(&QWidget::update));
    refresh();
}

RecordingView::~RecordingView() = default;

QString RecordingView::coordinateLine(ScreenPoint point) {
    return QStringLiteral("Coordinates: X: ") + coordinate(point.x) + QStringLiteral(", Y: ") + coordinate(point.y);
}

QString RecordingView::delayText(double delaySinceStart) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "+%.2fs", delaySinceStart);
    return QString::fromLatin1(buffer);
}

void RecordingView::refreshPulse() {
    // The dot breathes while a recording runs and someone can see it.
    const bool breathe = viewModel_.isRecordingMacro() && onScreen_;
    if (breathe && pulse_->state() != QAbstractAnimation::Running) {
        pulseStep_ = -1;
        pulse_->start();
    }
    if (!breathe) pulse_->stop();
}

void RecordingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    onScreen_ = true;
    refreshPulse();
}

void RecordingView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    onScreen_ = false;
    refreshPulse();
}

bool RecordingView::isOnControls(const platform::GlobalPoint& point) const {
    if (!onScreen_ || window()->isMinimized()) return false;
    // From the screen's pixels, with the origin at the primary monitor's corner, to Qt's device-independent
    // global coordinates, which scale each screen about its own corner.
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) return false;
    const QPointF pixel = QPointF(point.x, point.y) + primary->geometry().topLeft();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QPointF corner = screen->geometry().topLeft();
        const qreal ratio = screen->devicePixelRatio();
        if (!QRectF(corner, QSizeF(screen->geometry().size()) * ratio).contains(pixel)) continue;
        const QPoint logical = (corner + (pixel - corner) / ratio).toPoint();
        // Under the mouse as the window system tells it: another program's window lying over the button takes
        // the press, and it belongs in the macro.
        for (const QPushButton* button : {record_, playback_, import_, export_}) {
            if (button->isVisible() && button->underMouse() &&
                button->rect().contains(button->mapFromGlobal(logical))) {
                return true;
            }
        }
        return false;
    }
    return false;
}

bool RecordingView::isShowingEmptyState() const {
    return content_->currentIndex() == 0;
}

void RecordingView::refresh() {
    const bool recording = viewModel_.isRecordingMacro();
    const bool playing = viewModel_.isPlayingMacro();
    const bool empty = viewModel_.recordedClicks().empty();

    record_->setText(recording ? tr("Stop Recording") : tr("Record Clicks"));
    record_->setIcon(recording ? recordingDot() : symbolIcon(QStringLiteral("record.circle")));
    record_->setEnabled(recording || !playing);
    refreshPulse();
    tint(record_, kRed, QStringLiteral("8px 16px"), recording);

    playback_->setText(playing ? tr("Stop Playback") : tr("Play Macro"));
    playback_->setIcon(symbolIcon(playing ? QStringLiteral("stop.fill") : QStringLiteral("play.fill")));
    playback_->setEnabled(playing || !(recording || empty));
    tint(playback_, playing ? kOrange : kGreen, QStringLiteral("4px 10px"));

    import_->setEnabled(!(recording || playing));
    export_->setEnabled(!(empty || recording || playing));

    model_->setRecords(viewModel_.recordedClicks());
    content_->setCurrentIndex(empty ? 0 : 1);
    if (!empty && recording) list_->scrollToBottom();
}

}  // namespace clicktrove
