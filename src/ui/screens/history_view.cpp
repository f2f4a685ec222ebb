#include "ui/screens/history_view.hpp"

#include "services/history_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/empty_state_view.hpp"
#include "ui/screens/header_panel.hpp"
#include "ui/screens/history_row.hpp"
#include "ui/screens/view_style.hpp"

#include <unicode/udat.h>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

namespace clicktrove {

namespace {

constexpr qreal kDisabledOpacity = 0.4;

QString formatOneDecimal(double value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return QString::fromLatin1(buffer);
}

}  // namespace

HistoryView::HistoryView(AutoClickerViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(buildHeader());

    content_ = new QStackedWidget;
    emptyState_ =
        new EmptyStateView({QStringLiteral("clock.badge.exclamationmark"), 34, ThemeColors::cyan(), 0.1, 0.4},
                           tr("No Sessions Yet"), tr("Start the autoclicker to begin recording session history."));
    content_->addWidget(emptyState_);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    list_ = new QWidget;
    listLayout_ = new QVBoxLayout(list_);
    listLayout_->setContentsMargins(16, 16, 16, 16);
    listLayout_->setSpacing(10);
    scroll->setWidget(list_);
    view_style::makeTransparent(scroll);
    content_->addWidget(scroll);
    stack->addWidget(content_, 1);

    HistoryManager& history = viewModel_.historyManager();
    connect(&history, &HistoryManager::historyRecordsChanged, this, &HistoryView::rebuildList);
    connect(&viewModel_.settingsManager(), &SettingsManager::accentColorChanged, this, [this] {
        restyle();
        rebuildList();
    });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, &HistoryView::restyle);
    rebuildList();
    restyle();
}

HistoryView::~HistoryView() = default;

QString HistoryView::durationText(double seconds) {
    // Records outside the model (not finite, beyond 64 bits) read as the nearest whole number that fits.
    double whole = std::isfinite(seconds) ? std::trunc(seconds) : 0.0;
    whole = std::clamp(whole, -9.2e18, 9.2e18);
    const auto s = static_cast<long long>(whole);
    if (s < 60) return QString::number(s) + QStringLiteral("s");
    return QString::number(s / 60) + QStringLiteral("m ") + QString::number(s % 60) + QStringLiteral("s");
}

QString HistoryView::averageSpeedText(double averageIntervalMs) {
    const double cps = averageIntervalMs > 0 ? 1000.0 / averageIntervalMs : 0.0;
    return formatOneDecimal(cps) + QStringLiteral(" CPS");
}

QString HistoryView::countLine(std::size_t records) {
    return QString::number(static_cast<qulonglong>(records)) + QStringLiteral(" recorded sessions");
}

QString HistoryView::dateText(Date date) {
    UErrorCode status = U_ZERO_ERROR;
    // Default locale and time zone: the user's, from the environment.
    std::unique_ptr<UDateFormat, decltype(&udat_close)> format(
        udat_open(UDAT_MEDIUM, UDAT_SHORT, nullptr, nullptr, -1, nullptr, -1, &status), &udat_close);
    if (U_FAILURE(status) || !format) return {};
    const auto millis = std::chrono::duration<double, std::milli>(date.time_since_epoch()).count();
    UChar buffer[128];
    const int32_t length = udat_format(format.get(), millis, buffer, 128, nullptr, &status);
    if (U_FAILURE(status)) return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), std::min<int32_t>(length, 128));
}

QWidget* HistoryView::buildHeader() {
    auto* header = new HeaderPanel;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    const auto titleBlock = view_style::addTitleBlock(row, tr("Session History"), QFont::Normal);
    badge_ = titleBlock.badge;
    count_ = titleBlock.count;

    // The buttons sit in one container that carries the dimming: a widget has only one graphics effect, and the
    // primary button's is its shadow.
    buttons_ = new QWidget;
    auto* buttonRow = new QHBoxLayout(buttons_);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(12);
    HistoryManager& history = viewModel_.historyManager();
    clear_ = new VaqGhostButton(tr("Clear Log"), QStringLiteral("trash"), ThemeColors::red(),
                                [&history] { history.clearHistory(); });
    clear_->setObjectName(QStringLiteral("clearLogButton"));
    export_ = new VaqPrimaryButton(
        tr("Export CSV"), QStringLiteral("square.and.arrow.up"),
        ThemeGradient::accent(viewModel_.settingsManager().accentColor()),
        [this, &history] { history.exportCSV(viewModel_.fileProblemReport(FileNoticeSubject::historyExport)); });
    export_->setObjectName(QStringLiteral("exportCsvButton"));
    export_->setFixedWidth(140);
    buttonRow->addWidget(clear_);
    buttonRow->addWidget(export_);
    row->addWidget(buttons_);
    return header;
}

void HistoryView::rebuildList() {
    const auto& records = viewModel_.historyManager().historyRecords();
    count_->setText(countLine(records.size()));
    const bool empty = records.empty();
    clear_->setEnabled(!empty);
    export_->setEnabled(!empty);
    // While there is nothing to clear or export, both buttons fade further than a disabled button does.
    clear_->setDimming(empty ? kDisabledOpacity : 1.0);
    export_->setDimming(empty ? kDisabledOpacity : 1.0);

    while (QLayoutItem* item = listLayout_->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            // The Clear Log click that emptied the list may still be on the stack: delete later.
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
    if (empty) {
        content_->setCurrentWidget(emptyState_);
        return;
    }
    content_->setCurrentIndex(1);
    const AccentThemeColor accent = viewModel_.settingsManager().accentColor();
    const auto count = static_cast<std::int64_t>(records.size());
    for (std::int64_t index = 0; index < count; ++index) {
        const auto& record = records[static_cast<std::size_t>(index)];
        listLayout_->addWidget(new HistoryRow(record, count - index, accent, dateText(record.date)));
    }
    listLayout_->addStretch(1);
    view_style::restyle(list_);
}

qreal HistoryView::headerButtonOpacity() const {
    return clear_->dimming();
}

QList<HistoryRow*> HistoryView::rows() const {
    QList<HistoryRow*> out;
    for (int i = 0; i < listLayout_->count(); ++i) {
        if (auto* row = qobject_cast<HistoryRow*>(listLayout_->itemAt(i)->widget())) out.push_back(row);
    }
    return out;
}

bool HistoryView::isShowingEmptyState() const {
    return content_->currentWidget() == emptyState_;
}

void HistoryView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    view_style::paintBackground(painter, rect());
}

void HistoryView::restyle() {
    const AccentThemeColor accent = viewModel_.settingsManager().accentColor();
    badge_->setPixmap(
        view_style::badge(ThemeGradient::accent(accent), QStringLiteral("clock.arrow.circlepath"), 36, 15));
    export_->setGradient(ThemeGradient::accent(accent));
    view_style::restyle(this);
    update();
}

}  // namespace clicktrove
