#include "platform/linux/DeadlineClickTimer.h"

#include <QtGlobal>

#include <cerrno>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tivrel {

DeadlineClickTimer::DeadlineClickTimer() {
    m_timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!isValid())
        qWarning("Tivrel: no timerfd or eventfd for the click thread (errno %d)", errno);
}

DeadlineClickTimer::~DeadlineClickTimer() {
    shutDown();
    for (const int fd : {m_timer, m_wake}) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::int64_t DeadlineClickTimer::now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool DeadlineClickTimer::sleepUntil(std::int64_t deadline) {
    itimerspec at{};
    at.it_value = {static_cast<time_t>(deadline / 1'000'000'000),
                   static_cast<long>(deadline % 1'000'000'000)};
    if (at.it_value.tv_sec == 0 && at.it_value.tv_nsec == 0)
        at.it_value.tv_nsec = 1; // zero would disarm the timer
    if (::timerfd_settime(m_timer, TFD_TIMER_ABSTIME, &at, nullptr) != 0)
        return false;
    pollfd fds[2] = {{m_timer, POLLIN, 0}, {m_wake, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (fds[1].revents & POLLIN))
            return false;
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_timer, &expirations, sizeof expirations);
        return true;
    }
}

void DeadlineClickTimer::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
}

void DeadlineClickTimer::clearWake() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_wake, &count, sizeof count);
}

bool DeadlineClickTimer::raisePriority() {
    // The lowest real-time priority: above every ordinary thread, below anything that asked
    // for more (audio servers ask for more).
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0;
}

} // namespace tivrel
