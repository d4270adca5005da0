#include "platform/linux/DeadlineClickTimer.h"

#include "platform/linux/RealtimeKit.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tivrel {

DeadlineClickTimer::~DeadlineClickTimer() {
    shutDown();
}

std::int64_t DeadlineClickTimer::now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

namespace {

long futex(std::atomic<std::uint32_t>& word, int op, std::uint32_t value, const timespec* at) {
    static_assert(sizeof(word) == sizeof(std::uint32_t));
    return ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), op, value, at, nullptr,
                     FUTEX_BITSET_MATCH_ANY);
}

} // namespace

// One system call a tick: a futex wait for an absolute time on CLOCK_MONOTONIC (the clock of
// FUTEX_WAIT_BITSET). A timerfd took three (arm, poll, read), a condition variable two.
bool DeadlineClickTimer::sleepUntil(std::int64_t deadline) {
    const timespec at{static_cast<time_t>(deadline / 1'000'000'000),
                      static_cast<long>(deadline % 1'000'000'000)};
    for (;;) {
        if (m_wake.load() != 0)
            return false;
        if (futex(m_wake, FUTEX_WAIT_BITSET_PRIVATE, 0, &at) == 0 || errno == EINTR ||
            errno == EAGAIN)
            continue; // woken, interrupted, or the word changed before the wait: look again
        if (errno != ETIMEDOUT) {
            // Not seen with a valid time; the tick is still kept, only a stop waits for it.
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
        }
        return m_wake.load() == 0;
    }
}

void DeadlineClickTimer::wake() {
    m_wake.store(1);
    futex(m_wake, FUTEX_WAKE_PRIVATE, INT_MAX, nullptr);
}

void DeadlineClickTimer::clearWake() {
    m_wake.store(0);
}

bool DeadlineClickTimer::raisePriority() {
    // The lowest real-time priority: above every ordinary thread, below anything that asked
    // for more (audio servers ask for more).
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    if (::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0)
        return true;
    // Most desktop users may not ask the kernel themselves; RealtimeKit grants it to them.
    return realtimeKit::makeThreadRealtime(std::uint64_t(::gettid()),
                                           std::uint32_t(sched_get_priority_min(SCHED_RR)));
}

} // namespace tivrel
