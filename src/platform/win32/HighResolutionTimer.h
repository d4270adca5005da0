#pragma once

#include <cstdint>

namespace tivrel {

// A one-shot waitable timer set for a time on the performance counter: high resolution
// where the system has it (Windows 10 1803 and later), a plain waitable timer before. It
// is auto-reset: a wait that finds it signalled resets it.
class HighResolutionTimer {
public:
    HighResolutionTimer();
    ~HighResolutionTimer();
    HighResolutionTimer(const HighResolutionTimer&) = delete;
    HighResolutionTimer& operator=(const HighResolutionTimer&) = delete;

    // False when the system gave no timer.
    bool isValid() const { return m_timer != nullptr; }
    // The handle to wait on.
    void* handle() const { return m_timer; }

    // The performance counter, in nanoseconds.
    std::int64_t now() const;
    // Signals the timer at `deadline` on that clock, at once when it has passed.
    bool setFor(std::int64_t deadline);
    // Disarms the timer and drops a signal not yet waited for.
    void cancel();

private:
    void* m_timer = nullptr;
    std::int64_t m_frequency = 1;
};

} // namespace tivrel
