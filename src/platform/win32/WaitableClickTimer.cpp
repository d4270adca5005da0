#include "platform/win32/WaitableClickTimer.h"

#include <QtGlobal>

#include <windows.h>

namespace tivrel {

WaitableClickTimer::WaitableClickTimer() {
    m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_wake)
        qWarning("Tivrel: no wake-up event for the click thread (error %lu)", GetLastError());
}

WaitableClickTimer::~WaitableClickTimer() {
    shutDown();
    if (m_wake)
        CloseHandle(m_wake);
}

// Windows hands no pointer news to a waiting thread: the look before each click sees a move.
ThreadClickTimer::Wake WaitableClickTimer::sleepUntil(std::int64_t deadline) {
    if (!m_timer.setFor(deadline))
        return Wake::Stopped;
    const HANDLE handles[2] = {m_timer.handle(), m_wake};
    return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 ? Wake::Due
                                                                                : Wake::Stopped;
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
