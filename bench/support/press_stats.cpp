#include "support/press_stats.hpp"

#include <algorithm>

namespace bench {

PressStats pressStats(std::vector<Clock::time_point> presses, double seconds) {
    PressStats s;
    if (presses.empty()) return s;
    // The window starts half a typical gap before the first press, so that it holds seconds / interval presses
    // whether the press at its far end comes a little early or a little late.
    Clock::duration halfGap{};
    if (presses.size() >= 2) {
        std::vector<Clock::duration> all;
        for (std::size_t i = 1; i < presses.size(); ++i) all.push_back(presses[i] - presses[i - 1]);
        std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2), all.end());
        halfGap = all[all.size() / 2] / 2;
    }
    const auto end = presses.front() - halfGap +
                     std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    presses.erase(std::find_if(presses.begin(), presses.end(), [&](auto t) { return t >= end; }), presses.end());
    s.presses = presses.size();
    s.rate = static_cast<double>(presses.size()) / seconds;
    std::vector<double> gaps;
    for (std::size_t i = 1; i < presses.size(); ++i) {
        gaps.push_back(std::chrono::duration<double, std::milli>(presses[i] - presses[i - 1]).count());
    }
    if (gaps.empty()) return s;
    double sum = 0;
    for (double g : gaps) sum += g;
    s.meanMs = sum / static_cast<double>(gaps.size());
    std::sort(gaps.begin(), gaps.end());
    auto pct = [&](double q) { return gaps[std::min(gaps.size() - 1, static_cast<std::size_t>(q * gaps.size()))]; };
    s.p50Ms = pct(0.50);
    s.p99Ms = pct(0.99);
    s.maxMs = gaps.back();
    return s;
}

EscapeAftermath escapeAftermath(const std::vector<PressCounter::Arrival>& arrivals) {
    EscapeAftermath result;
    const auto key = std::find_if(arrivals.begin(), arrivals.end(),
                                  [](const auto& a) { return a.kind == PressCounter::Arrival::Kind::escape; });
    if (key == arrivals.end()) return result;
    result.keySeen = true;
    for (auto it = key; it != arrivals.end(); ++it) {
        if (it->kind == PressCounter::Arrival::Kind::press) ++result.presses;
        if (it->kind == PressCounter::Arrival::Kind::release) {
            result.lastReleaseMs = std::chrono::duration<double, std::milli>(it->time - key->time).count();
        }
    }
    return result;
}

std::optional<double> firstPressAfterKeyMs(const std::vector<PressCounter::Arrival>& arrivals, unsigned int keycode) {
    const auto key = std::find_if(arrivals.begin(), arrivals.end(), [&](const auto& a) {
        return a.kind == PressCounter::Arrival::Kind::key && a.keycode == keycode;
    });
    if (key == arrivals.end()) return std::nullopt;
    const auto press =
        std::find_if(key, arrivals.end(), [](const auto& a) { return a.kind == PressCounter::Arrival::Kind::press; });
    if (press == arrivals.end()) return std::nullopt;
    return std::chrono::duration<double, std::milli>(press->time - key->time).count();
}

}  // namespace bench
