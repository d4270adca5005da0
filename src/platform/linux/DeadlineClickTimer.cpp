#include "platform/linux/DeadlineClickTimer.h"

#include <chrono>
#include <ctime>
#include <pthread.h>
#include <sched.h>

namespace tivrel {

DeadlineClickTimer::~DeadlineClickTimer() {
    shutDown();
}

std::int64_t DeadlineClickTimer::now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The steady clock is CLOCK_MONOTONIC here, and a condition variable's wait_until on it waits
// for that clock's absolute time (pthread_cond_clockwait): one system call a tick, where a
// timerfd took three (arm, poll, read).
bool DeadlineClickTimer::sleepUntil(std::int64_t deadline) {
    const std::chrono::steady_clock::time_point at{std::chrono::nanoseconds(deadline)};
    std::unique_lock lock(m_lock);
    return !m_woken.wait_until(lock, at, [this] { return m_wake; });
}

void DeadlineClickTimer::wake() {
    {
        const std::lock_guard lock(m_lock);
        m_wake = true;
    }
    m_woken.notify_all();
}

void DeadlineClickTimer::clearWake() {
    const std::lock_guard lock(m_lock);
    m_wake = false;
}

bool DeadlineClickTimer::raisePriority() {
    // The lowest real-time priority: above every ordinary thread, below anything that asked
    // for more (audio servers ask for more).
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0;
}

} // namespace tivrel
