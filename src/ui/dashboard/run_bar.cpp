#include "ui/dashboard/run_bar.hpp"

#include "session/auto_clicker_view_model.hpp"
#include "ui/dashboard/run_status_color.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/disc_painter.hpp"
#include "ui/design/neon_pulse.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

// A filled circle in a colour, at an opacity.
class Disc final : public QWidget {
public:
    Disc(int side, qreal opacity, QWidget* parent) : QWidget(parent), opacity_(opacity) {
        setFixedSize(side, side);
        connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
    }
    void setColor(const AdaptiveColor& color) {
        if (color == color_) return;
        color_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintDisc(p, QRectF(rect()), withOpacity(color_.current(), opacity_));
    }

private:
    AdaptiveColor color_;
    qreal opacity_;
};

// A 1-point rule in the border colour.
class Divider final : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), ThemeColors::border()); }
};

}  // namespace

RunBar::RunBar(AutoClickerViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setObjectName("RunBar");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    auto* statusRow = new QHBoxLayout();
    statusRow->setSpacing(10);
    auto* outer = new Disc(28, 0.2, this);
    indicator_ = outer;
    auto* dot = new Disc(10, 1.0, outer);
    dot->move(9, 9);
    dot_ = dot;
    pulse_ = NeonPulse::apply(dot, ThemeColors::vaqTextSecondary(), false);
    statusRow->addWidget(outer, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(1);
    status_ = new ThemedLabel(QString(), designFont(14, QFont::Bold, FontDesign::rounded),
                              ThemeColors::vaqTextSecondary(), this);
    status_->setObjectName("RunStatus");
    texts->addWidget(status_);
    texts->addWidget(
        new ThemedLabel(tr("Press ESC to emergency stop"), designFont(10), ThemeColors::vaqTextSecondary(), this));
    statusRow->addLayout(texts);
    statusRow->addStretch();
    column->addLayout(statusRow);

    column->addWidget(new Divider(this));

    auto* buttons = new QVBoxLayout();
    buttons->setSpacing(8);
    start_ = new VaqPrimaryButton(
        tr("Start Autoclicker"), "play.fill", ThemeGradient::vaqGreen(), [this] { viewModel_.startClicking(); }, this);
    start_->setObjectName("StartButton");
    pause_ = new VaqGhostButton(
        tr("Pause"), "pause.fill", ThemeColors::amber(), [this] { viewModel_.pauseClicking(); }, this);
    pause_->setObjectName("PauseButton");
    pause_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    resume_ = new VaqPrimaryButton(
        tr("Resume"), "play.fill", ThemeGradient::vaqGreen(), [this] { viewModel_.resumeClicking(); }, this);
    resume_->setObjectName("ResumeButton");
    stop_ = new VaqPrimaryButton(
        tr("Stop"), "stop.fill", ThemeGradient::vaqRed(), [this] { viewModel_.stopClicking(); }, this);
    stop_->setObjectName("StopButton");
    // Pause is an outlined button where Resume is a filled one; both stand in one slot at the filled button's
    // height, so the bar and the tiles under it stay put when a run is paused or resumed.
    pause_->setFixedHeight(resume_->sizeHint().height());
    for (QWidget* button : {static_cast<QWidget*>(start_), static_cast<QWidget*>(pause_),
                            static_cast<QWidget*>(resume_), static_cast<QWidget*>(stop_)}) {
        buttons->addWidget(button);
    }
    column->addLayout(buttons);

    connect(&viewModel_, &AutoClickerViewModel::statusChanged, this, &RunBar::refresh);
    connect(&viewModel_, &AutoClickerViewModel::isRunningChanged, this, &RunBar::refresh);
    connect(&viewModel_, &AutoClickerViewModel::isPausedChanged, this, &RunBar::refresh);
    refresh();
}

QString RunBar::statusText() const {
    return status_->text();
}

void RunBar::refresh() {
    const bool running = viewModel_.isRunning();
    const bool paused = viewModel_.isPaused();
    statusColor_ = runStatusColor(viewModel_.status());
    status_->setText(viewModel_.status());
    status_->setColor(statusColor_);
    static_cast<Disc*>(indicator_)->setColor(statusColor_);
    static_cast<Disc*>(dot_)->setColor(statusColor_);
    pulse_->setGlowColor(statusColor_);
    pulse_->setActive(running);

    start_->setVisible(!running);
    pause_->setVisible(running && !paused);
    resume_->setVisible(running && paused);
    stop_->setVisible(running);
}

}  // namespace clicktrove
