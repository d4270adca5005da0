// The benchmark's closing table: the median of each figure over the runs, and the goals.
#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <utility>

namespace tivrel::bench {

namespace {

std::string verdict(bool holds) {
    return holds ? "holds" : "MISSED";
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

} // namespace

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

namespace {

// The median of each figure of one row.
struct RowMedians {
    double clicksPerSecond = 0;
    double rateErrorPercent = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
    double driftMs = 0;
    double cpuPerClickUs = 0;
    double peakRssMiB = 0;
};

std::optional<RowMedians> medians(const Results& results, const std::string& name) {
    const auto found = results.rows.find(name);
    if (found == results.rows.end() || found->second.clicks.empty())
        return std::nullopt;
    const RowRuns& row = found->second;
    const auto pick = [&](double ClickFigures::*field) {
        std::vector<double> values;
        for (const ClickFigures& f : row.clicks)
            values.push_back(f.*field);
        return median(values);
    };
    return RowMedians{pick(&ClickFigures::clicksPerSecond),
                      pick(&ClickFigures::rateErrorPercent),
                      pick(&ClickFigures::deviationP50Ms),
                      pick(&ClickFigures::deviationP99Ms),
                      pick(&ClickFigures::deviationMaxMs),
                      pick(&ClickFigures::driftMs),
                      median(row.cpuPerClickUs),
                      median(row.peakRssMiB)};
}

// Tivrel's figure against the better of the peers' (the one nearer zero; for clicks per
// second, the one nearer the rate asked): "1.23x", or "-" where the better is zero.
std::string ratio(double tivrel, double a, double b, double ideal = 0) {
    const double better = std::abs(a - ideal) <= std::abs(b - ideal) ? a : b;
    if (better == ideal)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx",
                  ideal == 0 ? std::abs(tivrel) / std::abs(better) : tivrel / better);
    return text;
}

void printRow(const std::string& name, const RowMedians& m, bool someFailed) {
    std::printf("%-16s %9.3f %+11.4f %9.3f %9.3f %9.3f %+10.2f %10.1f %9.1f%s\n", name.c_str(),
                m.clicksPerSecond, m.rateErrorPercent, m.p50, m.p99, m.max, m.driftMs,
                m.cpuPerClickUs, m.peakRssMiB, someFailed ? "  (some runs failed)" : "");
}

int failures(const Results& results, const std::string& name) {
    const auto found = results.rows.find(name);
    return found == results.rows.end() ? 0 : found->second.failures;
}

} // namespace

void printReport(const ReportHeading& heading, const Results& results) {
    const StopRuns& stops = results.stops;
    const IdleRuns& idles = results.idles;
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about chains of +.
    std::string load = "no CPU hog";
    if (heading.hogLoops) {
        load = "a CPU hog: ";
        load += std::to_string(heading.hogLoops);
        load += " busy loops at normal priority";
    }
    std::printf("\nClick timing: median of %d runs, %d clicks a run, on Xvfb %s with openbox and "
                "trayer, %s\n\n",
                heading.runs, heading.clicks, heading.display.c_str(), load.c_str());
    std::printf("%-16s %9s %11s %9s %9s %9s %10s %10s %9s\n", "", "clicks/s", "rate err %",
                "dev p50", "dev p99", "dev max", "drift", "CPU/click", "peak RSS");
    std::printf("%-16s %9s %11s %9s %9s %9s %10s %10s %9s\n", "", "", "", "(ms)", "(ms)", "(ms)",
                "(ms)", "(µs)", "(MiB)");
    struct Verdicts {
        std::string delay;
        std::optional<RowMedians> tivrel;
        double p99Bound = -1; // -1: no peer to hold it against
        double cpuBound = -1;
    };
    std::vector<Verdicts> verdicts;
    for (const int delay : {5, 10}) {
        std::string suffix = " ";
        suffix += std::to_string(delay);
        suffix += " ms";
        const auto tivrel = medians(results, "tivrel" + suffix);
        const auto xdotool = medians(results, "xdotool" + suffix);
        const auto reference = medians(results, "reference" + suffix);
        for (const auto& [name, row] :
             {std::pair{"tivrel" + suffix, tivrel}, std::pair{"xdotool" + suffix, xdotool},
              std::pair{"reference" + suffix, reference}}) {
            if (row)
                printRow(name, *row, failures(results, name) > 0);
            else
                std::printf("%-16s no successful run\n", name.c_str());
        }
        Verdicts verdict{suffix.substr(1), tivrel, -1};
        if (tivrel && xdotool && reference) {
            const double nominal = 1000.0 / delay;
            std::printf(
                "%-16s %9s %11s %9s %9s %9s %10s %10s %9s\n", "  tivrel/better",
                ratio(tivrel->clicksPerSecond, xdotool->clicksPerSecond, reference->clicksPerSecond,
                      nominal)
                    .c_str(),
                ratio(tivrel->rateErrorPercent, xdotool->rateErrorPercent,
                      reference->rateErrorPercent)
                    .c_str(),
                ratio(tivrel->p50, xdotool->p50, reference->p50).c_str(),
                ratio(tivrel->p99, xdotool->p99, reference->p99).c_str(),
                ratio(tivrel->max, xdotool->max, reference->max).c_str(),
                ratio(tivrel->driftMs, xdotool->driftMs, reference->driftMs).c_str(),
                ratio(tivrel->cpuPerClickUs, xdotool->cpuPerClickUs, reference->cpuPerClickUs)
                    .c_str(),
                ratio(tivrel->peakRssMiB, xdotool->peakRssMiB, reference->peakRssMiB).c_str());
            verdict.p99Bound =
                kGoalP99PeerFactor * std::min(xdotool->p99, reference->p99) + kGoalP99SlackMs;
            verdict.cpuBound = kGoalCpuPeerFactor * reference->cpuPerClickUs;
        }
        verdicts.push_back(verdict);
        std::printf("\n");
    }
    const double latency = median(stops.latencyMs);
    const double latencyMax = maximum(stops.latencyMs);
    const double afterMax = maximum(stops.clicksAfterMove);
    const double receivedAfterMax = maximum(stops.clicksReceivedAfterMove);
    std::printf("stop after a pointer move (5 ms run): the stop message %.3f ms after the move "
                "(median), %.3f ms max\n",
                latency, latencyMax);
    std::printf("clicks after the move: %.0f median, %.0f max in the server's order; %.0f max "
                "received after it\n",
                median(stops.clicksAfterMove), afterMax, receivedAfterMax);
    const double idleAfter = median(stops.threadIdleMs);
    const double idleAfterMax = maximum(stops.threadIdleMs);
    std::printf("the click thread ended %.3f ms after the move (median), %.3f ms max\n", idleAfter,
                idleAfterMax);
    const KeyRuns& keys = results.keys;
    std::printf("start/stop key: first click %.3f ms after the press, stop message %.3f ms after "
                "the press (median); %.3f and %.3f ms max\n",
                median(keys.firstClickMs), median(keys.stopMs), maximum(keys.firstClickMs),
                maximum(keys.stopMs));
    std::printf("idle CPU of the program over %d s: %.0f ms median (/proc stat, 10 ms steps); "
                "scheduler run time %.3f ms, %.0f context switches\n",
                heading.idleSeconds, median(idles.statCpuMs), median(idles.scheduledCpuMs),
                median(idles.wakeups));

    std::printf("\nGoals%s:\n", heading.hogLoops ? " (with the CPU hog)" : "");
    for (const Verdicts& v : verdicts) {
        const std::string name = "tivrel " + v.delay;
        if (!v.tivrel) {
            std::printf("  %-13s no figures: MISSED\n", name.c_str());
            continue;
        }
        const RowMedians& t = *v.tivrel;
        std::printf("  %-13s rate error %.4f %% <= %.2f %%: %s\n", name.c_str(),
                    std::abs(t.rateErrorPercent), kGoalRateErrorPercent,
                    verdict(std::abs(t.rateErrorPercent) <= kGoalRateErrorPercent).c_str());
        std::printf("  %-13s drift %.2f ms <= %.0f ms: %s\n", name.c_str(), std::abs(t.driftMs),
                    kGoalDriftMs, verdict(std::abs(t.driftMs) <= kGoalDriftMs).c_str());
        if (v.p99Bound < 0)
            std::printf("  %-13s p99 deviation %.3f ms: no peer figures: MISSED\n", name.c_str(),
                        t.p99);
        else
            std::printf("  %-13s p99 deviation %.3f ms <= %.2f x the better peer's + %.1f = %.3f "
                        "ms: %s\n",
                        name.c_str(), t.p99, kGoalP99PeerFactor, kGoalP99SlackMs, v.p99Bound,
                        verdict(t.p99 <= v.p99Bound).c_str());
        if (v.cpuBound < 0)
            std::printf("  %-13s CPU %.1f µs/click: no reference figures: MISSED\n", name.c_str(),
                        t.cpuPerClickUs);
        else
            std::printf("  %-13s CPU %.1f µs/click <= %.1f x the reference's = %.1f µs: %s\n",
                        name.c_str(), t.cpuPerClickUs, kGoalCpuPeerFactor, v.cpuBound,
                        verdict(t.cpuPerClickUs <= v.cpuBound).c_str());
    }
    std::printf("  %-13s stop %.3f ms (max %.3f) after the move <= %.0f ms: %s\n", "stop", latency,
                latencyMax, kGoalStopLatencyMs,
                verdict(!stops.latencyMs.empty() && latencyMax <= kGoalStopLatencyMs).c_str());
    std::printf("  %-13s %.0f clicks after the move in any run: %s\n", "stop", afterMax,
                verdict(!stops.clicksAfterMove.empty() && afterMax == 0).c_str());
    std::printf("  %-13s click thread ended %.3f ms (max %.3f) after the move <= %.0f ms: %s\n",
                "stop", idleAfter, idleAfterMax, kGoalThreadIdleMs,
                verdict(!stops.threadIdleMs.empty() && idleAfterMax <= kGoalThreadIdleMs).c_str());
    const double keyFirst = median(keys.firstClickMs);
    const double keyStop = median(keys.stopMs);
    std::printf(
        "  %-13s first click %.3f ms, stop message %.3f ms after the press <= %.0f ms "
        "(median): %s\n",
        "key", keyFirst, keyStop, kGoalKeyMs,
        verdict(!keys.stopMs.empty() && keyFirst <= kGoalKeyMs && keyStop <= kGoalKeyMs).c_str());
    const double idleMax = maximum(idles.statCpuMs);
    std::printf("  %-13s %.0f ms CPU over %d s in any run: %s\n", "idle", idleMax,
                heading.idleSeconds, verdict(!idles.statCpuMs.empty() && idleMax == 0).c_str());
}

} // namespace tivrel::bench
