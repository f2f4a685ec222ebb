#include "ui/shell/floating_panel.hpp"

#include "platform/qt/x11_window_hints.hpp"
#include "ui/design/view_fonts.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace clicktrove {

namespace {

constexpr int kGripSize = 12;

// The corner grip: three short diagonal strokes in faint white, as the dark panel's resize handle. The window
// system resizes the window where it can; QSizeGrip falls back to resizing it itself.
class PanelResizeGrip final : public QSizeGrip {
public:
    explicit PanelResizeGrip(QWidget* parent) : QSizeGrip(parent) {
        setObjectName(QStringLiteral("resizeGrip"));
        setFixedSize(kGripSize, kGripSize);
        setCursor(Qt::SizeFDiagCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.35f), 1.0, Qt::SolidLine, Qt::RoundCap));
        const qreal r = kGripSize - 2.5;
        for (const qreal d : {3.0, 6.0, 9.0}) p.drawLine(QPointF(r - d + 1.5, r), QPointF(r, r - d + 1.5));
    }
};

}  // namespace

FloatingPanel::FloatingPanel(QWidget* contentView, std::function<void()> onCloseAction, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      onClose(std::move(onCloseAction)),
      content_(contentView) {
    setWindowTitle(QStringLiteral("Clicktrove Mini Control"));
    // Clicking the panel must not pull focus away from the application the user is driving.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(kWidth, kHeight);
    resize(kWidth, kHeight);
    move(100, 100);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    // Frameless, so the title strip and its close box are the panel's own.
    auto* titleStrip = new QWidget(this);
    titleStrip->setFixedHeight(kTitleHeight);
    auto* titleRow = new QHBoxLayout(titleStrip);
    titleRow->setContentsMargins(6, 0, 6, 0);
    titleRow->setSpacing(0);
    auto* title = new QLabel(windowTitle(), titleStrip);
    title->setFont(ViewFonts::style(ViewFonts::Style::caption, QFont::DemiBold));
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, QColor::fromRgbF(1, 1, 1, 0.85f));
    title->setPalette(titlePalette);
    closeButton_ = new QToolButton(titleStrip);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setAccessibleName(QStringLiteral("Close"));
    closeButton_->setToolTip(QStringLiteral("Close"));
    closeButton_->setText(QStringLiteral("\u2715"));
    closeButton_->setFocusPolicy(Qt::NoFocus);
    closeButton_->setFixedSize(14, 14);
    closeButton_->setStyleSheet(
        QStringLiteral("QToolButton { color: rgba(255,255,255,0.75); background: rgba(255,255,255,0.12);"
                       " border: none; border-radius: 7px; font-size: 8px; }"
                       "QToolButton:hover { background: rgba(255,80,80,0.9); color: white; }"));
    titleRow->addWidget(closeButton_, 0, Qt::AlignVCenter);
    titleRow->addStretch(1);
    titleRow->addWidget(title, 0, Qt::AlignVCenter);
    titleRow->addStretch(1);
    titleRow->addSpacing(closeButton_->width());
    stack->addWidget(titleStrip);

    if (content_ != nullptr) {
        content_->setParent(this);
        stack->addWidget(content_, 1);
    } else {
        stack->addStretch(1);
    }
    connect(closeButton_, &QToolButton::clicked, this, &QWidget::close);

    grip_ = new PanelResizeGrip(this);
    grip_->raise();
}

void FloatingPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    grip_->move(width() - grip_->width(), height() - grip_->height());
    grip_->raise();
}

FloatingPanel::~FloatingPanel() = default;

void FloatingPanel::closeEvent(QCloseEvent* event) {
    event->accept();
    // The content goes with the closing, so a closed panel observes and drives nothing any more.
    delete content_;
    content_ = nullptr;
    if (onClose) {
        // Moved out first: the closure may make the owner let go of this panel.
        auto run = std::move(onClose);
        onClose = nullptr;
        run();
    }
}

void FloatingPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (windowHandle() != nullptr) {
        platform::showOnAllDesktops(*windowHandle());
        platform::setWindowNames(*windowHandle());
    }
}

void FloatingPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(QRect(0, 0, width(), kTitleHeight), QColor::fromRgbF(0, 0, 0, 0.85f));
    if (content_ == nullptr) p.fillRect(rect().adjusted(0, kTitleHeight, 0, 0), QColor::fromRgbF(0, 0, 0, 0.85f));
}

void FloatingPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // The window manager moves the window where it can (it knows about screen edges and snapping).
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

}  // namespace clicktrove
