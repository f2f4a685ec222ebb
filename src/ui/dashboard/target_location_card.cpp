#include "ui/dashboard/target_location_card.hpp"

#include "services/coordinate_recorder.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/dashboard/dashboard_texts.hpp"
#include "ui/dashboard/position_option_button.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/disc_painter.hpp"
#include "ui/design/neon_pulse.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/widgets/info_helper_button.hpp"
#include "ui/widgets/ringed_buttons.hpp"
#include "ui/widgets/slider_row.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

// The small red dot of the capture countdown.
class RedDot final : public QWidget {
public:
    explicit RedDot(QWidget* parent) : QWidget(parent) { setFixedSize(8, 8); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintDisc(p, QRectF(rect()), ThemeColors::red());
    }
};

QLabel* makeChip(const QString& text, QWidget* parent) {
    auto* chip = new QLabel(text, parent);
    chip->setObjectName("PointChip");
    QFont font = designFont(10, QFont::Medium, FontDesign::monospaced);
    chip->setFont(font);
    const QColor purple = ThemeColors::purple();
    chip->setStyleSheet(QStringLiteral("QLabel { color: %1; background: rgba(%2, %3, %4, 0.15); border-radius: 6px;"
                                       " padding: 4px 8px; }")
                            .arg(purple.name())
                            .arg(purple.red())
                            .arg(purple.green())
                            .arg(purple.blue()));
    return chip;
}

}  // namespace

TargetLocationCard::TargetLocationCard(AutoClickerViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName("TargetLocationCard");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto* headerRow = new QHBoxLayout();
    headerRow->addWidget(new VaqSectionHeader(
        "location.circle.fill", tr("Target Location"), ThemeColors::green(),
        tr("Send clicks to current cursor position or cycle through a recorded list of fixed coordinates."), this));
    headerRow->addStretch();
    column->addLayout(headerRow);

    // Position mode. Pressing the selected option stores the same value again, as every store does.
    // 4 points above and below and 16 between the options, less the room each option keeps for its focus ring.
    auto* modes = new QHBoxLayout();
    constexpr int ring = PositionOptionButton::kRingRoom;
    modes->setContentsMargins(0, 4 - ring, 0, 4 - ring);
    modes->setSpacing(16 - 2 * ring);
    current_ = new PositionOptionButton(tr("Current Mouse Position"), this);
    fixed_ = new PositionOptionButton(tr("Fixed Position"), this);
    modes->addWidget(current_);
    modes->addWidget(fixed_);
    modes->addStretch();
    column->addLayout(modes);
    connect(current_, &QAbstractButton::clicked, this, [this] {
        viewModel_.editConfig([](ClickConfig& config) { config.positionMode = ClickPositionMode::current; });
    });
    connect(fixed_, &QAbstractButton::clicked, this, [this] {
        viewModel_.editConfig([](ClickConfig& config) { config.positionMode = ClickPositionMode::fixed; });
    });

    // Execution path.
    executionPath_ = new QWidget(this);
    executionPath_->setObjectName("ExecutionPath");
    auto* path = new QVBoxLayout(executionPath_);
    path->setContentsMargins(0, 0, 0, 0);
    path->setSpacing(8);

    countdownRow_ = new QWidget(executionPath_);
    auto* countdownLayout = new QHBoxLayout(countdownRow_);
    countdownLayout->setContentsMargins(4, 4, 4, 4);
    countdownLayout->setSpacing(8);
    auto* dot = new RedDot(countdownRow_);
    NeonPulse::apply(dot, ThemeColors::red(), true);
    countdownLayout->addWidget(dot);
    countdown_ = new ThemedLabel(QString(), designFont(12, QFont::DemiBold), ThemeColors::red(), countdownRow_);
    countdown_->setObjectName("CaptureCountdown");
    countdownLayout->addWidget(countdown_);
    countdownLayout->addStretch();
    path->addWidget(countdownRow_);

    buttonRow_ = new QWidget(executionPath_);
    auto* buttonLayout = new QHBoxLayout(buttonRow_);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    record_ = new VaqGhostButton(
        tr("Record Coordinates"), "record.circle", ThemeColors::red(), [this] { recordCoordinate(); }, buttonRow_);
    record_->setObjectName("RecordCoordinatesButton");
    buttonLayout->addWidget(record_);
    buttonLayout->addStretch();
    auto* clearAll = new RingedPushButton(tr("Clear All"), buttonRow_);
    clearAll->setRing(4, false);
    clearAll->setObjectName("ClearAllButton");
    clearAll->setFlat(true);
    clearAll->setCursor(Qt::PointingHandCursor);
    clearAll->setFont(designFont(11, QFont::Medium));
    clearAll->setStyleSheet(QStringLiteral("QPushButton { color: %1; border: none; background: transparent;"
                                           " outline: none; padding: 2px 4px; }")
                                .arg(ThemeColors::red().name()));
    clearAll_ = clearAll;
    buttonLayout->addWidget(clearAll);
    path->addWidget(buttonRow_);
    connect(clearAll, &QPushButton::clicked, this,
            [this] { viewModel_.editConfig([](ClickConfig& config) { config.fixedCoordinates.clear(); }); });

    chipScroll_ = new QScrollArea(executionPath_);
    chipScroll_->setFrameShape(QFrame::NoFrame);
    chipScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chipScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chipScroll_->setWidgetResizable(true);
    chipScroll_->setAutoFillBackground(false);
    chipScroll_->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    chipScroll_->viewport()->setAutoFillBackground(false);
    auto* chipStrip = new QWidget(chipScroll_);
    chipStrip->setAutoFillBackground(false);
    chipLayout_ = new QHBoxLayout(chipStrip);
    chipLayout_->setContentsMargins(0, 0, 0, 0);
    chipLayout_->setSpacing(6);
    chipLayout_->addStretch();
    chipScroll_->setWidget(chipStrip);
    path->addWidget(chipScroll_);

    orderChoice_ = new QWidget(executionPath_);
    orderChoice_->setObjectName("ExecutionPathChoice");
    auto* orderLayout = new QHBoxLayout(orderChoice_);
    orderLayout->setContentsMargins(0, 0, 0, 0);
    orderLayout->setSpacing(10);
    orderLayout->addWidget(
        new ThemedLabel(tr("Execution Path"), designFont(12), ThemeColors::vaqTextPrimary(), orderChoice_));
    sequential_ = new QRadioButton(tr("Sequential Order"), orderChoice_);
    random_ = new QRadioButton(tr("Random Order"), orderChoice_);
    auto* group = new QButtonGroup(orderChoice_);
    group->addButton(sequential_);
    group->addButton(random_);
    orderLayout->addWidget(sequential_);
    orderLayout->addWidget(random_);
    orderLayout->addStretch();
    path->addWidget(orderChoice_);
    connect(sequential_, &QRadioButton::clicked, this, [this] {
        viewModel_.editConfig([](ClickConfig& config) { config.coordinatesOrder = CoordinatesOrder::sequential; });
    });
    connect(random_, &QRadioButton::clicked, this, [this] {
        viewModel_.editConfig([](ClickConfig& config) { config.coordinatesOrder = CoordinatesOrder::random; });
    });
    column->addWidget(executionPath_);

    // Radius jitter.
    // 8 points from the box to its text: the indicator keeps 3 of them around its box for the focus ring.
    auto* radiusRow = new QHBoxLayout();
    radiusRow->setSpacing(8 - DesignControlStyle::kIndicatorRingRoom);
    radiusToggle_ = new QCheckBox(this);
    radiusToggle_->setObjectName("RandomTargetJitterToggle");
    radiusToggle_->setAccessibleName(tr("Random Target Jitter"));
    radiusRow->addWidget(radiusToggle_);
    radiusRow->addWidget(new ThemedLabel(tr("Random Target Jitter"), designFont(12, QFont::Medium),
                                         ThemeColors::vaqTextPrimary(), this));
    radiusRow->addWidget(
        new InfoHelperButton(tr("Slightly offsets the click coordinate randomly to mimic human hand drift."), this));
    radiusRow->addStretch();
    column->addLayout(radiusRow);
    connect(radiusToggle_, &QCheckBox::toggled, this,
            [this](bool on) { viewModel_.editConfig([on](ClickConfig& config) { config.randomizeRadius = on; }); });

    radius_ = new SliderRow(tr("Radius"), 2, 50, tr("px"), this);
    column->addWidget(radius_);
    connect(radius_, &SliderRow::moved, this, [this](double value) {
        viewModel_.editConfig([value](ClickConfig& config) { config.randomRadius = value; });
    });

    auto& recorder = viewModel_.coordinateRecorder();
    connect(&recorder, &CoordinateRecorder::isRecordingChanged, this, &TargetLocationCard::refreshCapture);
    connect(&recorder, &CoordinateRecorder::countdownRemainingChanged, this, &TargetLocationCard::refreshCapture);
    connect(&viewModel_, &AutoClickerViewModel::configChanged, this, &TargetLocationCard::refresh);
    refresh();
}

void TargetLocationCard::setAccent(AccentThemeColor accent) {
    current_->setAccent(accent);
    fixed_->setAccent(accent);
}

QString TargetLocationCard::countdownText() const {
    return countdown_->text();
}

QAbstractButton* TargetLocationCard::clearAllButton() const {
    return clearAll_;
}

QStringList TargetLocationCard::chipTexts() const {
    QStringList texts;
    for (const QLabel* chip : chips_) texts << chip->text();
    return texts;
}

void TargetLocationCard::recordCoordinate() {
    // The capture belongs to the recorder and outlives this card (a tab switch during the countdown): the point
    // is appended to the view model's configuration whatever is shown then.
    AutoClickerViewModel* viewModel = &viewModel_;
    QPointer<AutoClickerViewModel> guard(viewModel);
    viewModel_.coordinateRecorder().startRecording([guard](platform::GlobalPoint point) {
        if (!guard) return;
        guard->editConfig([point](ClickConfig& config) { config.fixedCoordinates.push_back({point.x, point.y}); });
    });
}

void TargetLocationCard::refresh() {
    const ClickConfig& config = viewModel_.config();
    const bool fixed = config.positionMode == ClickPositionMode::fixed;
    current_->setSelected(!fixed);
    fixed_->setSelected(fixed);
    executionPath_->setVisible(fixed);
    if (config.fixedCoordinates != shownPoints_ || chips_.size() != config.fixedCoordinates.size()) {
        rebuildChips(config.fixedCoordinates);
    }
    const bool any = !config.fixedCoordinates.empty();
    chipScroll_->setVisible(any);
    orderChoice_->setVisible(any);
    {
        const QSignalBlocker a(sequential_);
        const QSignalBlocker b(random_);
        sequential_->setChecked(config.coordinatesOrder == CoordinatesOrder::sequential);
        random_->setChecked(config.coordinatesOrder == CoordinatesOrder::random);
    }
    {
        const QSignalBlocker blocker(radiusToggle_);
        radiusToggle_->setChecked(config.randomizeRadius);
    }
    radius_->setVisible(config.randomizeRadius);
    radius_->setValue(config.randomRadius);
    refreshCapture();
}

void TargetLocationCard::refreshCapture() {
    const auto& recorder = viewModel_.coordinateRecorder();
    const bool recording = recorder.isRecording();
    countdownRow_->setVisible(recording);
    buttonRow_->setVisible(!recording);
    countdown_->setText(tr("Move cursor! Capturing in: ") + QString::number(recorder.countdownRemaining()) +
                        QStringLiteral("s"));
    clearAll_->setVisible(!viewModel_.config().fixedCoordinates.empty());
}

void TargetLocationCard::rebuildChips(const std::vector<ScreenPoint>& points) {
    for (QLabel* chip : chips_) delete chip;
    chips_.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
        QLabel* chip = makeChip(pointChipText(i, points[i]), chipScroll_->widget());
        chipLayout_->insertWidget(static_cast<int>(i), chip);
        chips_.push_back(chip);
    }
    shownPoints_ = points;
    // The strip is one row of chips high.
    chipScroll_->setFixedHeight(chips_.empty() ? 0 : chips_.front()->sizeHint().height());
}

}  // namespace clicktrove
