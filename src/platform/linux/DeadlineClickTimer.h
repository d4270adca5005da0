#pragma once

#include "platform/ThreadClickTimer.h"

namespace tivrel {

// The click thread on Linux: it sleeps on a timerfd armed for each tick's absolute time on
// CLOCK_MONOTONIC, beside an eventfd that wakes it for a stop, and asks for SCHED_FIFO at the
// lowest priority.
class DeadlineClickTimer final : public ThreadClickTimer {
public:
    DeadlineClickTimer();
    ~DeadlineClickTimer() override;

    // False when the system gave no timer or wake-up; the program then clicks from its UI
    // thread's precise timer instead.
    bool isValid() const { return m_timer >= 0 && m_wake >= 0; }

protected:
    std::int64_t now() override;
    bool sleepUntil(std::int64_t deadline) override;
    void wake() override;
    void clearWake() override;
    bool raisePriority() override;

private:
    int m_timer = -1;
    int m_wake = -1;
};

} // namespace tivrel
