#pragma once

#include "ClickRecorder.h"

#include <cstddef>
#include <vector>

namespace tivrel::bench {

// How regular one run of clicks was, from the press times the recorder saw.
struct ClickFigures {
    std::size_t clicks = 0;
    double clicksPerSecond = 0;
    double rateErrorPercent = 0; // signed: below zero is slower than asked
    double deviationP50Ms = 0;   // |press-to-press interval - period|
    double deviationP99Ms = 0;
    double deviationMaxMs = 0;
    double driftMs = 0; // last press - first press - (clicks - 1) x period
};

// The figures of the presses of button among events, for clicks asked every periodMs.
ClickFigures clickFigures(const std::vector<PointerEvent>& events, int button, double periodMs);

// The value below which the fraction q of values lie (nearest rank); 0 when there are none.
double quantile(std::vector<double> values, double q);
double median(std::vector<double> values);

} // namespace tivrel::bench
