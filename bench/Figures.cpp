#include "Figures.h"

#include <algorithm>
#include <cmath>

namespace tivrel::bench {

double quantile(std::vector<double> values, double q) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(q * double(values.size()));
    const std::size_t index = rank < 1 ? 0 : std::size_t(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

ClickFigures clickFigures(const std::vector<PointerEvent>& events, int button, double periodMs) {
    std::vector<std::int64_t> presses;
    for (const PointerEvent& e : events) {
        if (e.kind == PointerEventKind::Press && e.button == button)
            presses.push_back(e.receivedNs);
    }
    ClickFigures figures;
    figures.clicks = presses.size();
    if (presses.size() < 2)
        return figures;
    std::vector<double> deviations;
    deviations.reserve(presses.size() - 1);
    for (std::size_t i = 1; i < presses.size(); ++i)
        deviations.push_back(std::abs(double(presses[i] - presses[i - 1]) / 1e6 - periodMs));
    const double spanMs = double(presses.back() - presses.front()) / 1e6;
    const double intervals = double(presses.size() - 1);
    figures.clicksPerSecond = intervals / spanMs * 1000;
    const double nominal = 1000 / periodMs;
    figures.rateErrorPercent = (figures.clicksPerSecond - nominal) / nominal * 100;
    figures.deviationP50Ms = quantile(deviations, 0.50);
    figures.deviationP99Ms = quantile(deviations, 0.99);
    figures.deviationMaxMs = *std::max_element(deviations.begin(), deviations.end());
    figures.driftMs = spanMs - intervals * periodMs;
    return figures;
}

} // namespace tivrel::bench
