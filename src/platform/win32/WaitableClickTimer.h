#pragma once

#include "platform/ThreadClickTimer.h"

namespace tivrel {

// The click thread on Windows: it sleeps on a high-resolution waitable timer (a plain one
// before Windows 10 1803) set for each tick's time on the performance counter, beside an
// event that wakes it for a stop, and runs at the highest priority of its process's class.
class WaitableClickTimer final : public ThreadClickTimer {
public:
    WaitableClickTimer();
    ~WaitableClickTimer() override;

    bool isValid() const { return m_timer != nullptr && m_wake != nullptr; }

protected:
    std::int64_t now() override;
    bool sleepUntil(std::int64_t deadline) override;
    void wake() override;
    void clearWake() override;
    bool raisePriority() override;

private:
    void* m_timer = nullptr;
    void* m_wake = nullptr;
    std::int64_t m_frequency = 1;
};

} // namespace tivrel
