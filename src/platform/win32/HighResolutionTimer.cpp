#include "platform/win32/HighResolutionTimer.h"

#include <QtGlobal>

#include <algorithm>

#include <windows.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace tivrel {

HighResolutionTimer::HighResolutionTimer() {
    m_timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                     TIMER_ALL_ACCESS);
    if (!m_timer)
        m_timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    if (!m_timer)
        qWarning("Tivrel: no waitable timer (error %lu)", GetLastError());
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    m_frequency = frequency.QuadPart;
}

HighResolutionTimer::~HighResolutionTimer() {
    if (m_timer) {
        CancelWaitableTimer(m_timer);
        CloseHandle(m_timer);
    }
}

std::int64_t HighResolutionTimer::now() const {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    // Seconds and the rest apart, so that the product cannot overflow.
    const std::int64_t seconds = counter.QuadPart / m_frequency;
    const std::int64_t rest = counter.QuadPart % m_frequency;
    return seconds * 1'000'000'000 + rest * 1'000'000'000 / m_frequency;
}

bool HighResolutionTimer::setFor(std::int64_t deadline) {
    if (!m_timer)
        return false;
    // Relative to now, in 100 ns units: the timer's absolute times are on the wall clock,
    // which the user or the network may set back or forth.
    LARGE_INTEGER due;
    due.QuadPart = -std::max<std::int64_t>((deadline - now()) / 100, 1);
    return SetWaitableTimerEx(m_timer, &due, 0, nullptr, nullptr, nullptr, 0) != 0;
}

void HighResolutionTimer::cancel() {
    if (!m_timer)
        return;
    CancelWaitableTimer(m_timer);
    WaitForSingleObject(m_timer, 0);
}

} // namespace tivrel
