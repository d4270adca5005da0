#pragma once

#include "ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace tivrel::bench {

// The command-line word that makes the benchmark one busy loop instead.
inline constexpr const char* kHogCommand = "--hog-loop";

// Spins until killed: one processor kept busy at normal priority.
int runHogLoop();

// A busy loop on each processor, at normal priority, for as long as the object lives: the
// machine a user has while something heavy runs beside the clicker.
class CpuHog {
public:
    // Starts `count` loops of the benchmark program `self`; false when one would not start.
    bool start(const std::string& self, int count, const std::string& logPath);
    std::size_t running() const { return m_loops.size(); }

private:
    std::vector<std::unique_ptr<test::ChildProcess>> m_loops;
};

} // namespace tivrel::bench
