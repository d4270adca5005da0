#pragma once

#include "platform/ThreadClickTimer.h"
#include "platform/win32/HighResolutionTimer.h"

namespace tivrel {

// The click thread on Windows: it sleeps on a high-resolution waitable timer set for each
// tick's time on the performance counter, beside an event that wakes it for a stop, and runs
// at THREAD_PRIORITY_HIGHEST: two steps above normal within its process's class, short of
// time-critical.
class WaitableClickTimer final : public ThreadClickTimer {
public:
    WaitableClickTimer();
    ~WaitableClickTimer() override;

    bool isValid() const { return m_timer.isValid() && m_wake != nullptr; }

protected:
    std::int64_t now() override { return m_timer.now(); }
    Wake sleepUntil(std::int64_t deadline) override;
    void wake() override;
    void clearWake() override;
    bool raisePriority() override;

private:
    HighResolutionTimer m_timer;
    void* m_wake = nullptr;
};

} // namespace tivrel
