#include "platform/linux/TimerFdTickSource.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tivrel {

namespace {

timespec fromNanoseconds(std::int64_t ns) {
    return {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

std::int64_t toNanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

TimerFdTickSource::TimerFdTickSource() {
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        qWarning("Tivrel: no timerfd (errno %d); this timer will not tick", errno);
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { onReadable(); });
}

TimerFdTickSource::~TimerFdTickSource() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void TimerFdTickSource::setInterval(int milliseconds) {
    m_interval = milliseconds;
}

void TimerFdTickSource::setEnabled(bool enabled) {
    if (enabled == m_enabled || m_fd < 0)
        return;
    m_enabled = enabled;
    itimerspec schedule{};
    if (enabled) {
        const std::int64_t period = std::int64_t(m_interval > 0 ? m_interval : 1) * 1000000;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        schedule.it_value = fromNanoseconds(toNanoseconds(now) + period);
        schedule.it_interval = fromNanoseconds(period);
    }
    if (::timerfd_settime(m_fd, enabled ? TFD_TIMER_ABSTIME : 0, &schedule, nullptr) != 0)
        qWarning("Tivrel: timerfd_settime failed (errno %d)", errno);
    if (!enabled) {
        // Expirations already counted but not yet read are dropped with the timer.
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    }
}

void TimerFdTickSource::onReadable() {
    std::uint64_t expirations = 0;
    // Reading resets the count: however many deadlines passed, this is one tick.
    if (::read(m_fd, &expirations, sizeof expirations) != sizeof expirations || expirations == 0)
        return;
    if (m_enabled)
        deliverTick();
}

} // namespace tivrel
