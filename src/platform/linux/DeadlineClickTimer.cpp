#include "platform/linux/DeadlineClickTimer.h"

#include "platform/linux/RealtimeKit.h"

#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tivrel {

DeadlineClickTimer::DeadlineClickTimer(int pointerNews)
    : m_pointerNews(pointerNews), m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_stopFd < 0)
        qWarning("Tivrel: no eventfd for the click thread (%s)", std::strerror(errno));
}

DeadlineClickTimer::~DeadlineClickTimer() {
    shutDown();
    if (m_stopFd >= 0)
        ::close(m_stopFd);
}

std::int64_t DeadlineClickTimer::now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// One system call a tick: a ppoll until the deadline (relative: ppoll has no absolute time,
// and the clock is read without a system call), woken early by a stop or by pointer news.
ThreadClickTimer::Wake DeadlineClickTimer::sleepUntil(std::int64_t deadline) {
    pollfd watched[2] = {{m_stopFd, POLLIN, 0}, {m_pointerNews, POLLIN, 0}};
    const nfds_t count = m_pointerNews >= 0 && !m_newsBroken ? 2 : 1;
    for (;;) {
        const std::int64_t left = deadline - now();
        if (left <= 0)
            return Wake::Due;
        const timespec wait{static_cast<time_t>(left / 1'000'000'000),
                            static_cast<long>(left % 1'000'000'000)};
        const int ready = ::ppoll(watched, count, &wait, nullptr);
        if (ready == 0)
            return Wake::Due;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            // Not seen with valid descriptors; the tick is still kept, only a stop waits.
            const timespec at{static_cast<time_t>(deadline / 1'000'000'000),
                              static_cast<long>(deadline % 1'000'000'000)};
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            return Wake::Due;
        }
        if (watched[0].revents != 0)
            return Wake::Stopped;
        // The display gone, nothing more will come, and its closed end would wake the thread
        // at once each time: the ticks go on by the clock, the look tells of the loss.
        if (watched[1].revents & (POLLERR | POLLHUP | POLLNVAL))
            m_newsBroken = true;
        return Wake::PointerNews;
    }
}

void DeadlineClickTimer::wake() {
    const std::uint64_t one = 1;
    if (m_stopFd >= 0 && ::write(m_stopFd, &one, sizeof one) < 0 && errno != EAGAIN)
        qWarning("Tivrel: the click thread could not be woken (%s)", std::strerror(errno));
}

void DeadlineClickTimer::clearWake() {
    std::uint64_t count = 0;
    if (m_stopFd >= 0)
        (void)!::read(m_stopFd, &count, sizeof count);
    m_newsBroken = false;
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
