#pragma once

#include "platform/ThreadClickTimer.h"

#include <atomic>
#include <cstdint>

namespace tivrel {

// The click thread on Linux: it sleeps until each tick's absolute time on CLOCK_MONOTONIC in
// one futex wait, which a stop cuts short, and asks for SCHED_FIFO at the lowest priority;
// where the kernel refuses it, RealtimeKit is asked for SCHED_RR at that priority instead.
class DeadlineClickTimer final : public ThreadClickTimer {
public:
    DeadlineClickTimer() = default;
    ~DeadlineClickTimer() override;

    // Nothing to fail: the wait needs no file descriptor from the system.
    bool isValid() const { return true; }

protected:
    std::int64_t now() override;
    bool sleepUntil(std::int64_t deadline) override;
    void wake() override;
    void clearWake() override;
    bool raisePriority() override;

private:
    std::atomic<std::uint32_t> m_wake{0}; // the futex word: 1 once a stop has woken the thread
};

} // namespace tivrel
