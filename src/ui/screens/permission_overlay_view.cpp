#include "ui/screens/permission_overlay_view.hpp"

#include "engine/permission_manager.hpp"
#include "services/accent_colors.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/view_fonts.hpp"
#include "ui/screens/semantic_colors.hpp"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

constexpr int kIconSize = 64;

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

// The rounded card behind the numbered steps.
class StepsCard final : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(SemanticColors::textBackground(palette()));
        painter.setPen(QPen(SemanticColors::withOpacity(SemanticColors::secondaryLabel(palette()), 0.2), 1));
        painter.drawRoundedRect(area, 8, 8);
    }
};

}  // namespace

PermissionOverlayView::PermissionOverlayView(PermissionManager& permissionManager, QWidget* parent)
    : QWidget(parent), permissionManager_(permissionManager) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(40, 40, 40, 40);
    stack->setSpacing(20);
    stack->addStretch(1);

    icon_ = new QLabel(this);
    icon_->setAlignment(Qt::AlignCenter);
    icon_->setContentsMargins(0, 0, 0, 10);
    stack->addWidget(icon_, 0, Qt::AlignHCenter);

    auto* title = new QLabel(tr("Input Access Required"), this);
    title->setFont(ViewFonts::style(ViewFonts::Style::title, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    stack->addWidget(title, 0, Qt::AlignHCenter);

    // The platform's own rule, not the one of systems with a privacy switch: input goes through the X server.
    auto* explanation =
        new QLabel(tr("Clicktrove simulates physical mouse click events. Linux lets a program post such input in the "
                      "background only through an X11 display that offers the XTEST extension."),
                   this);
    explanation->setObjectName(QStringLiteral("explanation"));
    explanation->setFont(ViewFonts::style(ViewFonts::Style::body));
    explanation->setWordWrap(true);
    explanation->setAlignment(Qt::AlignCenter);
    explanation->setForegroundRole(SemanticColors::kSecondaryRole);
    explanation->setContentsMargins(40, 0, 40, 0);
    stack->addWidget(explanation);

    auto* card = new StepsCard(this);
    auto* rows = new QVBoxLayout(card);
    rows->setContentsMargins(12, 12, 12, 12);
    rows->setSpacing(10);
    const std::pair<const char*, QString> stepTexts[] = {
        {"1.", tr("Click the button below to open the guide to allowing mouse input.")},
        {"2.", tr("Run <b>Clicktrove</b> in an X11 session, with DISPLAY naming your desktop.")},
        {"3.", tr("Return here to start automating clicks!")},
    };
    for (const auto& [number, text] : stepTexts) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* numberLabel = new QLabel(QString::fromLatin1(number), card);
        numberLabel->setFont(ViewFonts::style(ViewFonts::Style::subheadline, QFont::Bold));
        auto* textLabel = new QLabel(text, card);
        textLabel->setTextFormat(Qt::RichText);
        textLabel->setWordWrap(true);
        textLabel->setFont(ViewFonts::style(ViewFonts::Style::subheadline));
        for (QLabel* label : {numberLabel, textLabel}) label->setForegroundRole(SemanticColors::kSecondaryRole);
        row->addWidget(numberLabel, 0, Qt::AlignTop);
        row->addWidget(textLabel, 1, Qt::AlignTop);
        rows->addLayout(row);
        steps_.append(textLabel);
    }
    auto* cardRow = new QHBoxLayout;
    cardRow->setContentsMargins(30, 0, 30, 0);
    cardRow->addWidget(card);
    stack->addLayout(cardRow);

    openSettings_ = new QPushButton(tr("Open Setup Guide"), this);
    openSettings_->setCursor(Qt::PointingHandCursor);
    QFont semibold = openSettings_->font();
    semibold.setWeight(QFont::DemiBold);
    openSettings_->setFont(semibold);
    stack->addWidget(openSettings_, 0, Qt::AlignHCenter);

    verify_ = new QPushButton(tr("Verify Status Now"), this);
    verify_->setFlat(true);
    verify_->setCursor(Qt::PointingHandCursor);
    stack->addSpacing(5);
    stack->addWidget(verify_, 0, Qt::AlignHCenter);
    stack->addStretch(1);

    applyColors();

    connect(openSettings_, &QPushButton::clicked, this, [this] { permissionManager_.openSystemSettings(); });
    connect(verify_, &QPushButton::clicked, this, [this] { permissionManager_.checkPermission(); });
}

void PermissionOverlayView::applyColors() {
    const QColor secondary = SemanticColors::secondaryLabel(palette());
    const QColor orange = accentColor(AccentThemeColor::orange, isDark(palette()));
    icon_->setPixmap(
        SymbolIcons::pixmap(QStringLiteral("hand.raised.fill"), orange, designFont(kIconSize), devicePixelRatioF()));
    openSettings_->setIcon(SymbolIcons::icon(QStringLiteral("gearshape.fill"), Qt::white, openSettings_->font()));
    openSettings_->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                                " border-radius: 6px; padding: 8px 16px; }"
                                                "QPushButton:pressed { background: %2; }")
                                     .arg(orange.name(), orange.darker(120).name()));
    verify_->setIcon(SymbolIcons::icon(QStringLiteral("arrow.clockwise"), secondary, verify_->font()));
    verify_->setStyleSheet(
        QStringLiteral("QPushButton { border: none; background: transparent; color: %1; padding: 0px; }")
            .arg(secondary.name(QColor::HexArgb)));
}

void PermissionOverlayView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Setting the style sheets below sends no palette change, so this cannot loop.
    if (event->type() == QEvent::PaletteChange) applyColors();
}

void PermissionOverlayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), SemanticColors::windowBackground(palette()));
}

}  // namespace clicktrove
