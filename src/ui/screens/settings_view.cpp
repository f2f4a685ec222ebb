#include "ui/screens/settings_view.hpp"

#include "engine/permission_manager.hpp"
#include "services/audio_manager.hpp"
#include "services/settings_manager.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/design/glass_card.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_section_header.hpp"
#include "ui/screens/accent_swatch.hpp"
#include "ui/screens/permission_row.hpp"
#include "ui/screens/theme_chip.hpp"
#include "ui/screens/view_style.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace clicktrove {

namespace {

// The slider works in whole steps; this many make the range 0...1 smooth enough to count as stepless.
constexpr int kVolumeSteps = 1000;

int sliderPosition(double volume) {
    if (!std::isfinite(volume)) return 0;
    return static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * kVolumeSteps));
}

}  // namespace

SettingsView::SettingsView(SettingsManager& settingsManager, PermissionManager& permissionManager, QWidget* parent)
    : SettingsView(settingsManager, permissionManager, AudioManager::shared(), parent) {}

SettingsView::SettingsView(SettingsManager& settingsManager, PermissionManager& permissionManager, AudioManager& audio,
                           QWidget* parent)
    : QWidget(parent), settings_(settingsManager), permission_(permissionManager), audio_(audio) {
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(content);
    stack->setSpacing(16);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->addWidget(buildHeader());
    stack->addWidget(buildGeneralCard());
    stack->addWidget(buildAppearanceCard());
    stack->addWidget(buildAudioCard());
    stack->addWidget(buildPermissionsCard());
    stack->addStretch(1);
    scroll->setWidget(content);
    view_style::makeTransparent(scroll);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    // Its check boxes, the sound menu and the volume slider in the design's look.
    DesignControlStyle::applyToAll(content);
    shownSoundName_ = settings_.soundName();
    connectManagers();
    refresh();
}

SettingsView::~SettingsView() = default;

QString SettingsView::percentageText(double volume) {
    // 0.29 * 100 is 28.999...; the nudge keeps such products on the whole percent the user set, and is far below
    // the smallest step the slider makes.
    double percent = std::trunc(volume * 100.0 + (volume >= 0 ? 1e-9 : -1e-9));
    // A stored volume outside the model (not finite, absurdly large) still gives a number.
    if (!std::isfinite(percent)) percent = 0;
    percent = std::clamp(percent, -9.2e18, 9.2e18);
    return QString::number(static_cast<long long>(percent)) + QStringLiteral("%");
}

void SettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    view_style::paintBackground(painter, rect());
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The tray may have come or gone since the screen was last shown.
    refreshTaskbarNote();
}

void SettingsView::setTrayIconShown(std::function<bool()> shown) {
    trayIconShown_ = std::move(shown);
    refreshTaskbarNote();
}

QString SettingsView::taskbarEntryNote() const {
    return showDockIconNote_->text();
}

void SettingsView::refreshTaskbarNote() {
    const bool trayShown = !trayIconShown_ || trayIconShown_();
    showDockIconNote_->setText(trayShown ? QStringLiteral("Hide to run exclusively from the tray.")
                                         : QStringLiteral("No tray icon on this desktop: the taskbar entry stays, "
                                                          "and closing the window quits."));
}

QWidget* SettingsView::buildHeader() {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    headerBadge_ = new QLabel;
    headerBadge_->setFixedSize(36, 36);
    view_style::keepClearOfToast(headerBadge_);
    row->addWidget(headerBadge_);
    QLabel* title = view_style::label(tr("Settings"), 20, QFont::Bold, "primary", FontDesign::rounded);
    title->setObjectName(QStringLiteral("screenTitle"));
    view_style::keepClearOfToast(title);
    row->addWidget(title);
    row->addStretch(1);
    return header;
}

QWidget* SettingsView::toggleRow(const QString& icon, const QString& title, const QString& description,
                                 QCheckBox*& toggle, QLabel** descriptionOut) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(view_style::iconTile(icon, 28, 7, 12));

    // Centred as one block: spare height goes above and below, never between the title and the description.
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addStretch(1);
    texts->addWidget(view_style::label(title, 12, QFont::DemiBold, "primary"));
    auto* descriptionLabel = view_style::label(description, 10, QFont::Normal, "secondary");
    descriptionLabel->setWordWrap(true);
    if (descriptionOut != nullptr) *descriptionOut = descriptionLabel;
    texts->addWidget(descriptionLabel);
    texts->addStretch(1);
    layout->addLayout(texts, 1);

    toggle = new QCheckBox;
    toggle->setAccessibleName(title);
    layout->addWidget(toggle);
    return row;
}

QWidget* SettingsView::buildGeneralCard() {
    auto* card = new GlassCard(ThemeColors::purple(), 16);
    auto* stack = view_style::cardStack(card);
    stack->addWidget(new VaqSectionHeader(QStringLiteral("slider.horizontal.3"), tr("General"), ThemeColors::purple()));
    stack->addWidget(toggleRow(QStringLiteral("power"), QStringLiteral("Launch at Login"),
                               QStringLiteral("Open Clicktrove automatically when you log in."), launchAtLogin_));
    stack->addWidget(view_style::divider());
    stack->addWidget(toggleRow(QStringLiteral("arrow.down.right.and.arrow.up.left"), QStringLiteral("Start Minimized"),
                               QStringLiteral("Hide the window on launch; access from the tray or the taskbar."),
                               startMinimized_));
    stack->addWidget(view_style::divider());
    stack->addWidget(toggleRow(QStringLiteral("arrow.counterclockwise"), QStringLiteral("Remember Last Configuration"),
                               QStringLiteral("Restores the last used click settings on next launch."),
                               rememberLastConfig_));
    stack->addWidget(view_style::divider());
    stack->addWidget(toggleRow(QStringLiteral("dock.rectangle"), QStringLiteral("Show Taskbar Entry"),
                               QStringLiteral("Hide to run exclusively from the tray."), showDockIcon_,
                               &showDockIconNote_));
    showDockIconNote_->setObjectName(QStringLiteral("taskbarEntryNote"));

    connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { settings_.setLaunchAtLogin(on); });
    connect(startMinimized_, &QCheckBox::toggled, this, [this](bool on) { settings_.setStartMinimized(on); });
    connect(rememberLastConfig_, &QCheckBox::toggled, this, [this](bool on) { settings_.setRememberLastConfig(on); });
    connect(showDockIcon_, &QCheckBox::toggled, this, [this](bool on) { settings_.setShowDockIcon(on); });
    return card;
}

QWidget* SettingsView::buildAppearanceCard() {
    auto* card = new GlassCard(ThemeColors::indigo(), 16);
    auto* stack = view_style::cardStack(card);
    stack->addWidget(
        new VaqSectionHeader(QStringLiteral("paintpalette.fill"), tr("Appearance"), ThemeColors::indigo()));

    auto* themeBlock = new QVBoxLayout;
    themeBlock->setSpacing(10);
    auto* themeCaption = view_style::label(tr("Theme"), 11, QFont::Bold, "secondary");
    themeBlock->addWidget(themeCaption);
    auto* chips = new QHBoxLayout;
    chips->setSpacing(8);
    for (const auto theme : kAllAppThemes) {
        auto* chip = new ThemeChip(theme);
        connect(chip, &ThemeChip::clicked, this, [this, theme] { settings_.setTheme(theme); });
        themeChips_.push_back(chip);
        chips->addWidget(chip);
    }
    chips->addStretch(1);
    themeBlock->addLayout(chips);
    stack->addLayout(themeBlock);

    stack->addWidget(view_style::divider());

    auto* accentBlock = new QVBoxLayout;
    accentBlock->setSpacing(10);
    auto* accentCaption = view_style::label(tr("Accent Color"), 11, QFont::Bold, "secondary");
    accentBlock->addWidget(accentCaption);
    auto* swatchStrip = new QWidget;
    auto* swatchRow = new QHBoxLayout(swatchStrip);
    swatchRow->setSpacing(12);
    swatchRow->setContentsMargins(2, 4, 2, 4);
    for (const auto color : kAllAccentThemeColors) {
        auto* swatch = new AccentSwatch(color);
        connect(swatch, &AccentSwatch::clicked, this, [this, color] { settings_.setAccentColor(color); });
        swatches_.push_back(swatch);
        swatchRow->addWidget(swatch);
    }
    swatchRow->addStretch(1);
    auto* swatchScroll = new QScrollArea;
    swatchScroll->setWidgetResizable(true);
    swatchScroll->setWidget(swatchStrip);
    view_style::makeTransparent(swatchScroll);
    swatchScroll->setFixedHeight(swatchStrip->sizeHint().height());
    accentBlock->addWidget(swatchScroll);
    stack->addLayout(accentBlock);
    return card;
}

QWidget* SettingsView::buildAudioCard() {
    auto* card = new GlassCard(ThemeColors::green(), 16);
    auto* stack = view_style::cardStack(card);
    stack->addWidget(
        new VaqSectionHeader(QStringLiteral("speaker.wave.2.fill"), tr("Audio Feedback"), ThemeColors::green()));
    stack->addWidget(toggleRow(QStringLiteral("speaker.fill"), QStringLiteral("Enable Click Sound"),
                               QStringLiteral("Play a sound on every simulated click."), playSound_));
    connect(playSound_, &QCheckBox::toggled, this, [this](bool on) { settings_.setPlaySound(on); });

    auto* soundRow = new QWidget;
    soundRow->setObjectName(QStringLiteral("soundRow"));
    auto* soundLayout = new QHBoxLayout(soundRow);
    soundLayout->setContentsMargins(0, 0, 0, 0);
    auto* soundLabel = view_style::label(tr("Sound Effect"), 12, QFont::Medium, "primary");
    soundLayout->addWidget(soundLabel);
    soundLayout->addStretch(1);
    soundPicker_ = new QComboBox;
    soundPicker_->setFixedWidth(130);
    for (const auto name : AudioManager::availableSounds) {
        soundPicker_->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    soundLayout->addWidget(soundPicker_);
    connect(soundPicker_, &QComboBox::currentIndexChanged, this,
            [this](int index) { settings_.setSoundName(soundPicker_->itemText(index).toStdString()); });

    auto* volumeRow = new QWidget;
    volumeRow->setObjectName(QStringLiteral("volumeRow"));
    auto* volumeLayout = new QHBoxLayout(volumeRow);
    volumeLayout->setContentsMargins(0, 0, 0, 0);
    auto* volumeLabel = view_style::label(tr("Volume"), 12, QFont::Medium, "primary");
    volumeLayout->addWidget(volumeLabel);
    volumeSlider_ = new QSlider(Qt::Horizontal);
    volumeSlider_->setRange(0, kVolumeSteps);
    volumeSlider_->setPageStep(kVolumeSteps / 10);
    volumeLayout->addWidget(volumeSlider_, 1);
    percentage_ = view_style::label(QString(), 11, QFont::DemiBold, "secondary");
    percentage_->setObjectName(QStringLiteral("volumePercentage"));
    percentage_->setFixedWidth(36);
    percentage_->setAlignment(Qt::AlignCenter);
    volumeLayout->addWidget(percentage_);

    connect(volumeSlider_, &QSlider::valueChanged, this, [this](int position) {
        settings_.setSoundVolume(static_cast<double>(position) / kVolumeSteps);
        // A change without a drag (a key, a click on the track) ends its editing at once.
        if (!volumeSlider_->isSliderDown()) audio_.playSound(settings_.soundName(), settings_.soundVolume());
    });
    connect(volumeSlider_, &QSlider::sliderReleased, this,
            [this] { audio_.playSound(settings_.soundName(), settings_.soundVolume()); });

    soundRows_ = {view_style::divider(), soundRow, view_style::divider(), volumeRow};
    for (auto* w : soundRows_) stack->addWidget(w);
    return card;
}

QWidget* SettingsView::buildPermissionsCard() {
    permissionsCard_ = new GlassCard(ThemeColors::amber(), 16);
    auto* stack = view_style::cardStack(permissionsCard_);
    permissionsHeader_ =
        new VaqSectionHeader(QStringLiteral("lock.shield.fill"), tr("Permissions"), ThemeColors::amber());
    stack->addWidget(permissionsHeader_);
    permissionRow_ = new PermissionRow;
    connect(permissionRow_, &PermissionRow::grantAccessClicked, this, [this] { permission_.openSystemSettings(); });
    stack->addWidget(permissionRow_);
    return permissionsCard_;
}

void SettingsView::connectManagers() {
    auto set = [](QCheckBox* box, bool on) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    };
    connect(&settings_, &SettingsManager::launchAtLoginChanged, this, [=, this](bool on) { set(launchAtLogin_, on); });
    connect(&settings_, &SettingsManager::startMinimizedChanged, this,
            [=, this](bool on) { set(startMinimized_, on); });
    connect(&settings_, &SettingsManager::rememberLastConfigChanged, this,
            [=, this](bool on) { set(rememberLastConfig_, on); });
    connect(&settings_, &SettingsManager::showDockIconChanged, this, [=, this](bool on) {
        set(showDockIcon_, on);
        refreshTaskbarNote();
    });
    connect(&settings_, &SettingsManager::playSoundChanged, this, [=, this](bool on) {
        set(playSound_, on);
        refreshAudioRows();
    });
    connect(&settings_, &SettingsManager::soundNameChanged, this, &SettingsView::soundNameDidChange);
    connect(&settings_, &SettingsManager::soundVolumeChanged, this, [this] { refreshAudioRows(); });
    connect(&settings_, &SettingsManager::themeChanged, this, [this] { refreshAppearance(); });
    connect(&settings_, &SettingsManager::accentColorChanged, this, [this] { refreshAppearance(); });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { restyle(); });
    connect(&permission_, &PermissionManager::hasAccessibilityPermissionChanged, this, [this] { refreshPermission(); });
}

void SettingsView::soundNameDidChange(const std::string& name) {
    const bool changed = name != shownSoundName_;
    shownSoundName_ = name;
    refreshAudioRows();
    // The preview belongs to the sound row: a change made while it is hidden plays nothing.
    if (changed && settings_.playSound()) audio_.playSound(name, settings_.soundVolume());
}

void SettingsView::refresh() {
    for (auto [box, on] :
         {std::pair{launchAtLogin_, settings_.launchAtLogin()}, std::pair{startMinimized_, settings_.startMinimized()},
          std::pair{rememberLastConfig_, settings_.rememberLastConfig()},
          std::pair{showDockIcon_, settings_.showDockIcon()}, std::pair{playSound_, settings_.playSound()}}) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    }
    refreshAppearance();
    refreshAudioRows();
    refreshPermission();
    restyle();
}

void SettingsView::refreshAppearance() {
    for (auto* chip : themeChips_) chip->setState(chip->theme() == settings_.theme(), settings_.accentColor());
    for (auto* swatch : swatches_) swatch->setSelected(swatch->color() == settings_.accentColor());
    headerBadge_->setPixmap(
        view_style::badge(ThemeGradient::accent(settings_.accentColor()), QStringLiteral("gearshape.2.fill"), 36, 15));
}

void SettingsView::refreshAudioRows() {
    const bool shown = settings_.playSound();
    for (auto* w : soundRows_) w->setVisible(shown);
    {
        const QSignalBlocker blocker(soundPicker_);
        const int index = soundPicker_->findText(QString::fromStdString(settings_.soundName()), Qt::MatchExactly);
        // A stored name the list does not offer shows as no selection rather than as some other sound.
        soundPicker_->setCurrentIndex(index);
    }
    if (!volumeSlider_->isSliderDown()) {
        const QSignalBlocker blocker(volumeSlider_);
        volumeSlider_->setValue(sliderPosition(settings_.soundVolume()));
    }
    percentage_->setText(percentageText(settings_.soundVolume()));
}

void SettingsView::refreshPermission() {
    const bool granted = permission_.hasAccessibilityPermission();
    const QColor colour = granted ? ThemeColors::green() : ThemeColors::amber();
    permissionsCard_->setAccentGlow(colour);
    permissionsHeader_->setIconColor(colour);
    permissionRow_->setGranted(granted);
}

void SettingsView::restyle() {
    view_style::restyle(this);
    refreshAppearance();
    permissionRow_->setGranted(permission_.hasAccessibilityPermission());
    update();
}

}  // namespace clicktrove
