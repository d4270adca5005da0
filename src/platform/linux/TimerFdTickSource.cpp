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

namespace {

std::int64_t monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return toNanoseconds(now);
}

} // namespace

void TimerFdTickSource::arm(std::int64_t at) {
    itimerspec schedule{};
    if (at > 0)
        schedule.it_value = fromNanoseconds(at);
    if (::timerfd_settime(m_fd, at > 0 ? TFD_TIMER_ABSTIME : 0, &schedule, nullptr) != 0)
        qWarning("Tivrel: timerfd_settime failed (errno %d)", errno);
}

void TimerFdTickSource::setEnabled(bool enabled) {
    if (enabled == m_enabled || m_fd < 0)
        return;
    m_enabled = enabled;
    if (enabled) {
        m_schedule.emplace(monotonicNow(), std::int64_t(m_interval > 0 ? m_interval : 1) * 1000000);
        arm(m_schedule->nextTickAt());
        return;
    }
    m_schedule.reset();
    arm(0);
    // An expiry already counted but not yet read is dropped with the timer.
    std::uint64_t expirations = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
}

void TimerFdTickSource::onReadable() {
    std::uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) != sizeof expirations || expirations == 0)
        return;
    if (!m_enabled)
        return;
    // The next tick is armed before this one is handled: a handler that disables the timer
    // (a run that stops) disarms it again.
    m_schedule->ticked(monotonicNow());
    arm(m_schedule->nextTickAt());
    deliverTick();
}

} // namespace tivrel
