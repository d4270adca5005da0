// The benchmark's closing table: the median of each figure over the runs, and the goals.
#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

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

void printReport(const ReportHeading& heading, const Results& results) {
    const auto& rows = results.rows;
    const StopRuns& stops = results.stops;
    const IdleRuns& idles = results.idles;
    const auto pick = [](const RowRuns& row, double ClickFigures::*field) {
        std::vector<double> values;
        for (const ClickFigures& f : row.clicks)
            values.push_back(f.*field);
        return median(values);
    };
    std::printf("\nTivrel click timing: median of %d runs, %d clicks a run, on Xvfb %s with "
                "openbox\n\n",
                heading.runs, heading.clicks, heading.display.c_str());
    std::printf("%-14s %9s %11s %9s %9s %9s %10s %13s %13s\n", "", "clicks/s", "rate err %",
                "dev p50", "dev p99", "dev max", "drift", "CPU/click", "peak RSS");
    std::printf("%-14s %9s %11s %9s %9s %9s %10s %13s %13s\n", "", "", "", "(ms)", "(ms)", "(ms)",
                "(ms)", "(µs)", "(MiB)");
    for (const char* name : {"tivrel 5 ms", "xdotool 5 ms", "tivrel 10 ms", "xdotool 10 ms"}) {
        const auto found = rows.find(name);
        if (found == rows.end() || found->second.clicks.empty()) {
            std::printf("%-14s no successful run\n", name);
            continue;
        }
        const RowRuns& row = found->second;
        std::printf(
            "%-14s %9.3f %+11.4f %9.3f %9.3f %9.3f %+10.2f %13.1f %13.1f%s\n", name,
            pick(row, &ClickFigures::clicksPerSecond), pick(row, &ClickFigures::rateErrorPercent),
            pick(row, &ClickFigures::deviationP50Ms), pick(row, &ClickFigures::deviationP99Ms),
            pick(row, &ClickFigures::deviationMaxMs), pick(row, &ClickFigures::driftMs),
            median(row.cpuPerClickUs), median(row.peakRssMiB),
            row.failures ? "  (some runs failed)" : "");
    }
    std::printf("%-14s %9s %11s %9s %9s %9s %10s %13s %13s\n", "goal (tivrel)", "", "|e| <= 0.05",
                "", "<= 0.4", "", "", "<= 150", "< 60");
    std::printf("\n");
    const double latency = median(stops.latencyMs);
    const double latencyMax = maximum(stops.latencyMs);
    const double afterMax = maximum(stops.clicksAfterMove);
    const double receivedAfterMax = maximum(stops.clicksReceivedAfterMove);
    std::printf("stop latency after a pointer move (5 ms run): %.3f ms median, %.3f ms max "
                "(goal <= %.0f ms)\n",
                latency, latencyMax, kGoalStopLatencyMs);
    std::printf("clicks after the move: %.0f median, %.0f max in the server's order; %.0f max "
                "received after it (goal 0)\n",
                median(stops.clicksAfterMove), afterMax, receivedAfterMax);
    std::printf("idle CPU of the program over %d s: %.0f ms median (/proc stat, 10 ms steps); "
                "scheduler run time %.3f ms, %.0f context switches (goal 0)\n",
                heading.idleSeconds, median(idles.statCpuMs), median(idles.scheduledCpuMs),
                median(idles.wakeups));

    std::printf("\nGoals:\n");
    for (const char* name : {"tivrel 5 ms", "tivrel 10 ms"}) {
        const auto found = rows.find(name);
        if (found == rows.end() || found->second.clicks.empty()) {
            std::printf("  %-13s no figures: MISSED\n", name);
            continue;
        }
        const RowRuns& row = found->second;
        const double rate = pick(row, &ClickFigures::rateErrorPercent);
        const double p99 = pick(row, &ClickFigures::deviationP99Ms);
        const double cpu = median(row.cpuPerClickUs);
        const double rss = median(row.peakRssMiB);
        std::printf("  %-13s rate error %.4f %% <= %.2f %%: %s\n", name, std::abs(rate),
                    kGoalRateErrorPercent,
                    verdict(std::abs(rate) <= kGoalRateErrorPercent).c_str());
        std::printf("  %-13s p99 deviation %.3f ms <= %.1f ms: %s\n", name, p99,
                    kGoalP99DeviationMs, verdict(p99 <= kGoalP99DeviationMs).c_str());
        std::printf("  %-13s CPU %.1f µs/click <= %.0f µs: %s\n", name, cpu, kGoalCpuPerClickUs,
                    verdict(cpu <= kGoalCpuPerClickUs).c_str());
        std::printf("  %-13s peak memory %.1f MiB < %.0f MiB: %s\n", name, rss, kGoalPeakRssMiB,
                    verdict(rss < kGoalPeakRssMiB).c_str());
    }
    std::printf("  %-13s stop %.3f ms (max %.3f) after the move <= %.0f ms: %s\n", "stop", latency,
                latencyMax, kGoalStopLatencyMs,
                verdict(!stops.latencyMs.empty() && latencyMax <= kGoalStopLatencyMs).c_str());
    std::printf("  %-13s %.0f clicks after the move in any run: %s\n", "stop", afterMax,
                verdict(!stops.clicksAfterMove.empty() && afterMax == 0).c_str());
    const double idleMax = maximum(idles.statCpuMs);
    std::printf("  %-13s %.0f ms CPU over %d s in any run: %s\n", "idle", idleMax,
                heading.idleSeconds, verdict(!idles.statCpuMs.empty() && idleMax == 0).c_str());
}

} // namespace tivrel::bench
