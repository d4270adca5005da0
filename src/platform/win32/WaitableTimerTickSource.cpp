#include "platform/win32/WaitableTimerTickSource.h"

#include <QWinEventNotifier>

namespace tivrel {

WaitableTimerTickSource::WaitableTimerTickSource() {
    if (!m_timer.isValid())
        return;
    m_notifier = std::make_unique<QWinEventNotifier>(m_timer.handle());
    QObject::connect(m_notifier.get(), &QWinEventNotifier::activated, [this] { onSignalled(); });
}

WaitableTimerTickSource::~WaitableTimerTickSource() {
    m_notifier.reset();
}

void WaitableTimerTickSource::setInterval(int milliseconds) {
    m_interval = milliseconds;
}

void WaitableTimerTickSource::setEnabled(bool enabled) {
    if (enabled == m_enabled || !m_timer.isValid())
        return;
    m_enabled = enabled;
    if (enabled) {
        m_schedule.emplace(m_timer.now(), std::int64_t(m_interval > 0 ? m_interval : 1) * 1000000);
        m_timer.setFor(m_schedule->nextTickAt());
        return;
    }
    m_schedule.reset();
    m_timer.cancel();
}

void WaitableTimerTickSource::onSignalled() {
    // A signal from before a disable can arrive after the next enable: it is too early for
    // the new schedule, whose own signal is still to come.
    const std::int64_t now = m_timer.now();
    if (!m_enabled || now < m_schedule->nextTickAt())
        return;
    // The next tick is set before this one is handled: a handler that disables the source
    // (a run that stops) cancels it again.
    m_schedule->ticked(now);
    m_timer.setFor(m_schedule->nextTickAt());
    deliverTick();
}

} // namespace tivrel
