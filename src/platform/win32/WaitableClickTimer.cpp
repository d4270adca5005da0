#include "platform/win32/WaitableClickTimer.h"

#include <QtGlobal>

#include <windows.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace tivrel {

WaitableClickTimer::WaitableClickTimer() {
    m_timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                     TIMER_ALL_ACCESS);
    if (!m_timer)
        m_timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    m_frequency = frequency.QuadPart;
    if (!isValid())
        qWarning("Tivrel: no waitable timer for the click thread (error %lu)", GetLastError());
}

WaitableClickTimer::~WaitableClickTimer() {
    shutDown();
    for (void* handle : {m_timer, m_wake}) {
        if (handle)
            CloseHandle(handle);
    }
}

std::int64_t WaitableClickTimer::now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    // Seconds and the rest apart, so that the product cannot overflow.
    const std::int64_t seconds = counter.QuadPart / m_frequency;
    const std::int64_t rest = counter.QuadPart % m_frequency;
    return seconds * 1'000'000'000 + rest * 1'000'000'000 / m_frequency;
}

bool WaitableClickTimer::sleepUntil(std::int64_t deadline) {
    const std::int64_t wait = deadline - now();
    if (wait > 0) {
        LARGE_INTEGER due;
        due.QuadPart = -(wait / 100); // relative, in 100 ns units
        if (due.QuadPart == 0)
            due.QuadPart = -1;
        if (!SetWaitableTimerEx(m_timer, &due, 0, nullptr, nullptr, nullptr, 0))
            return false;
    } else {
        LARGE_INTEGER due;
        due.QuadPart = -1;
        SetWaitableTimerEx(m_timer, &due, 0, nullptr, nullptr, nullptr, 0);
    }
    const HANDLE handles[2] = {m_timer, m_wake};
    return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0;
}

void WaitableClickTimer::wake() {
    SetEvent(m_wake);
}

void WaitableClickTimer::clearWake() {
    ResetEvent(m_wake);
}

bool WaitableClickTimer::raisePriority() {
    return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != 0;
}

} // namespace tivrel
