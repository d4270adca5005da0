#pragma once

#include "platform/ThreadClickTimer.h"

#include <cstdint>

namespace tivrel {

// The click thread on Linux: it sleeps until each tick's absolute time on CLOCK_MONOTONIC in
// one ppoll, beside an eventfd that a stop writes and the display session's pointer news,
// and asks for SCHED_FIFO at the lowest priority; where the kernel refuses it, RealtimeKit
// is asked for SCHED_RR at that priority instead.
class DeadlineClickTimer final : public ThreadClickTimer {
public:
    // `pointerNews`: a descriptor that turns readable when the display session may have news
    // of the pointer, -1 where it has none to wait on. It stays the session's.
    explicit DeadlineClickTimer(int pointerNews = -1);
    ~DeadlineClickTimer() override;

    // False where the system gave no eventfd: a stop then waits for the thread's next wake.
    bool isValid() const { return m_stopFd >= 0; }

protected:
    std::int64_t now() override;
    Wake sleepUntil(std::int64_t deadline) override;
    void wake() override;
    void clearWake() override;
    bool raisePriority() override;

private:
    const int m_pointerNews;
    bool m_newsBroken = false; // the session's descriptor hung up: deadlines only, this run
    int m_stopFd = -1;
};

} // namespace tivrel
