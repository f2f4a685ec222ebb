#include "ui/dashboard/statistic_badges.hpp"

#include "session/auto_clicker_view_model.hpp"
#include "ui/dashboard/dashboard_texts.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_stat_badge.hpp"

#include <QGridLayout>

namespace clicktrove {

namespace {

QString plainInteger(std::int64_t value) {
    return QString::number(static_cast<qlonglong>(value));
}

}  // namespace

StatisticBadges::StatisticBadges(AutoClickerViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName("StatisticBadges");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    badges_[0] = new VaqStatBadge(tr("Elapsed Time"), QString(), ThemeColors::cyan(), QStringLiteral("timer"), this);
    badges_[1] = new VaqStatBadge(tr("Total Clicks"), QString(), ThemeColors::purple(),
                                  QStringLiteral("cursorarrow.click.2"), this);
    badges_[2] = new VaqStatBadge(tr("Speed"), QString(), ThemeColors::green(), QStringLiteral("bolt.fill"), this);
    badges_[3] = new VaqStatBadge(tr("Remaining"), QString(), ThemeColors::amber(), QStringLiteral("target"), this);
    for (int i = 0; i < 4; ++i) {
        badges_[i]->setMinimumWidth(10);
        grid->addWidget(badges_[i], i / 2, i % 2);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(&viewModel_, &AutoClickerViewModel::elapsedTimeChanged, this, &StatisticBadges::refreshElapsed);
    connect(&viewModel_, &AutoClickerViewModel::totalClicksChanged, this, &StatisticBadges::refreshTotal);
    connect(&viewModel_, &AutoClickerViewModel::cpsChanged, this, &StatisticBadges::refreshSpeed);
    connect(&viewModel_, &AutoClickerViewModel::remainingClicksChanged, this, &StatisticBadges::refreshFourth);
    connect(&viewModel_, &AutoClickerViewModel::configChanged, this, &StatisticBadges::refreshFourth);
    connect(&viewModel_, &AutoClickerViewModel::statusChanged, this, &StatisticBadges::refreshFourth);
    refreshElapsed();
    refreshTotal();
    refreshSpeed();
    refreshFourth();
}

void StatisticBadges::refreshElapsed() {
    badges_[0]->setValue(elapsedText(viewModel_.elapsedTime()));
}

void StatisticBadges::refreshTotal() {
    badges_[1]->setValue(plainInteger(viewModel_.totalClicks()));
}

void StatisticBadges::refreshSpeed() {
    badges_[2]->setValue(plainInteger(viewModel_.cps()) + QStringLiteral(" CPS"));
}

void StatisticBadges::refreshFourth() {
    // The fourth tile describes the run whose figures it shows: a maximum set during an unlimited run is for
    // the next run, and must not read "Remaining 0" while the clicking goes on.
    if (viewModel_.statisticsMaxClicks() >= 1) {
        badges_[3]->setLabel(tr("Remaining"));
        badges_[3]->setValue(plainInteger(viewModel_.remainingClicks()));
        badges_[3]->setValueColor(ThemeColors::amber());
        badges_[3]->setIcon(QStringLiteral("target"));
    } else {
        badges_[3]->setLabel(tr("Mode"));
        badges_[3]->setValue(QStringLiteral("∞ Infinite"));
        badges_[3]->setValueColor(ThemeColors::vaqTextSecondary());
        badges_[3]->setIcon(QStringLiteral("infinity"));
    }
}

}  // namespace clicktrove
