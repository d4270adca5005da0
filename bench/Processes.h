#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace tivrel::bench {

// Thrown by every wait once SIGINT, SIGTERM or SIGHUP has asked the benchmark to end, so that
// what it started is cleaned up on the way out.
struct Interrupted {};

// Makes SIGINT, SIGTERM and SIGHUP end the benchmark through Interrupted.
void catchInterrupts();
void throwIfInterrupted();
// Sleeps in short slices, throwing Interrupted when asked to end.
void sleepFor(std::chrono::milliseconds duration);

struct SpawnOptions {
    std::vector<std::string> argv;        // argv[0] is looked up in PATH unless it has a '/'
    std::vector<std::string> environment; // the whole environment, "NAME=value"
    std::string logPath;                  // receives standard output and error
    int passFd = -1;                      // handed to the program as file descriptor 3
    int deathSignal = 0;                  // sent to the program should the benchmark die
};

// Starts a program; on failure returns -1 and says why in error.
pid_t spawn(const SpawnOptions& options, std::string* error);

struct Finished {
    int status = 0; // as waitpid gives it
    rusage usage{}; // the program's own resources, children not included
};

// Waits for the program to end, at most timeout; nothing when it still runs.
std::optional<Finished> waitExit(pid_t pid, std::chrono::milliseconds timeout);
// Asks the program to end with signal, waits up to grace, then kills it and collects it.
Finished endProcess(pid_t pid, int signal, std::chrono::milliseconds grace);

// This process's environment with each "NAME=value" of overrides set (an empty value
// removes NAME).
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides);

std::string describeStatus(int status);

// Milliseconds the threads of the process spent ready to run but waiting for a processor,
// summed over the threads it has now (from /proc/PID/task/*/schedstat).
double runQueueWaitMs(pid_t pid);

} // namespace tivrel::bench
