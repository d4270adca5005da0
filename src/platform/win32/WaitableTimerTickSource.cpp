#include "platform/win32/WaitableTimerTickSource.h"

#include <QWinEventNotifier>

#include <windows.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace tivrel {

WaitableTimerTickSource::WaitableTimerTickSource() {
    // An auto-reset timer: a wait that finds it signalled resets it, so expiries that pass
    // unwatched are one signal, never a queue.
    m_timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                     TIMER_ALL_ACCESS);
    if (!m_timer)
        m_timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    if (!m_timer) {
        qWarning("Tivrel: no waitable timer (error %lu); this timer will not tick", GetLastError());
        return;
    }
    m_notifier = std::make_unique<QWinEventNotifier>(m_timer);
    QObject::connect(m_notifier.get(), &QWinEventNotifier::activated, [this] { onSignalled(); });
}

WaitableTimerTickSource::~WaitableTimerTickSource() {
    m_notifier.reset();
    if (m_timer) {
        CancelWaitableTimer(m_timer);
        CloseHandle(m_timer);
    }
}

void WaitableTimerTickSource::setInterval(int milliseconds) {
    m_interval = milliseconds;
}

void WaitableTimerTickSource::setEnabled(bool enabled) {
    if (enabled == m_enabled || !m_timer)
        return;
    m_enabled = enabled;
    if (!enabled) {
        CancelWaitableTimer(m_timer);
        WaitForSingleObject(m_timer, 0); // an expiry not yet delivered is dropped
        return;
    }
    const LONG period = m_interval > 0 ? m_interval : 1;
    LARGE_INTEGER due;
    due.QuadPart = -LONGLONG(period) * 10000; // relative, in 100 ns units
    WaitForSingleObject(m_timer, 0);
    if (!SetWaitableTimerEx(m_timer, &due, period, nullptr, nullptr, nullptr, 0))
        qWarning("Tivrel: SetWaitableTimerEx failed (error %lu)", GetLastError());
}

void WaitableTimerTickSource::onSignalled() {
    if (m_enabled)
        deliverTick();
}

} // namespace tivrel
