#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tivrel::bench {

// What one click run of the real main window reports back to the benchmark.
struct EngineResult {
    std::string reason;        // "amount", "mouse", "enter" or "none" (timed out)
    std::int64_t startNs = 0;  // monotonic time of the start button's click
    std::int64_t stopNs = 0;   // monotonic time the stop message was asked for
    std::int64_t runCpuUs = 0; // user + system time of the process from start to stop
    long long counted = 0;     // the window's click count at the stop
    std::string tickSource;    // the kind of timer the window got
    // From start to stop: time the process's threads were ready to run but waited for a
    // processor, and how often they were taken off one against their will.
    double runQueueWaitMs = 0;
    long long involuntarySwitches = 0;
};

// The command-line word that makes the benchmark run the main window instead.
inline constexpr const char* kEngineRunCommand = "--engine-run";

// Runs the real main window on the real backends, with message boxes that only note what
// they were asked to show, for one click run: every delayMs, amount clicks (0: until the
// pointer moves). Arguments: --engine-run DELAY AMOUNT RESULT_FILE LIMIT_MS.
int runEngine(int argc, char** argv);

std::optional<EngineResult> readEngineResult(const std::string& path);

} // namespace tivrel::bench
