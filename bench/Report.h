#pragma once

#include "Figures.h"

#include <map>
#include <string>
#include <vector>

namespace tivrel::bench {

// The goals the figures are held against. The p99 interval deviation is held against the
// better of the two peers: at most kGoalP99PeerFactor times theirs, plus kGoalP99SlackMs.
inline constexpr double kGoalRateErrorPercent = 0.05;
inline constexpr double kGoalDriftMs = 5;
inline constexpr double kGoalP99PeerFactor = 1.25;
inline constexpr double kGoalP99SlackMs = 0.1;
// Tivrel's CPU per click against the reference clicker's, which does nothing but click.
inline constexpr double kGoalCpuPeerFactor = 1.5;
inline constexpr double kGoalStopLatencyMs = 20;
// From the move until the click thread has ended.
inline constexpr double kGoalThreadIdleMs = 2;
// From a press of the start/stop key to the run's first click, and to its stop message.
inline constexpr double kGoalKeyMs = 20;

// One row of the table ("tivrel 5 ms", "xdotool 10 ms", "reference 5 ms"): the figures of
// each run.
struct RowRuns {
    std::vector<ClickFigures> clicks;
    std::vector<double> cpuPerClickUs;
    std::vector<double> peakRssMiB;
    int failures = 0;
};

struct StopRuns {
    std::vector<double> latencyMs;
    std::vector<double> clicksAfterMove;         // in the server's order of events
    std::vector<double> clicksReceivedAfterMove; // by the recorder's clock
    std::vector<double> threadIdleMs;            // until the click thread had ended
    int failures = 0;
};

// Runs started and stopped by the start/stop key.
struct KeyRuns {
    std::vector<double> firstClickMs; // from the press to the first click the server made
    std::vector<double> stopMs;       // from the press to the stop message
    int failures = 0;
};

struct IdleRuns {
    std::vector<double> statCpuMs;      // utime + stime from /proc/PID/stat
    std::vector<double> scheduledCpuMs; // run time of all threads from schedstat
    std::vector<double> wakeups;        // context switches of all threads
    int failures = 0;
};

struct Results {
    std::map<std::string, RowRuns> rows;
    StopRuns stops;
    KeyRuns keys;
    IdleRuns idles;
};

struct ReportHeading {
    int runs;
    int clicks;
    int idleSeconds;
    std::string display;
    int hogLoops; // busy loops running beside the clickers, 0 for none
};

// The machine's load average over 1, 5 and 15 minutes, "0.12 0.40 0.33".
std::string loadAverage();

// The table of medians, then each goal with whether it holds.
void printReport(const ReportHeading& heading, const Results& results);

} // namespace tivrel::bench
