#pragma once

#include <functional>

namespace tivrel {

// Drives the fast clicks of a run on a thread of its own, so that no click waits behind the
// windows' drawing or the window manager's traffic. Ticks follow a TickSchedule: the n-th is
// due at start + n x interval on the monotonic clock; late ones are made, never closer than
// half an interval to the one before.
class ClickTimer {
public:
    virtual ~ClickTimer() = default;
    // Calls `tick` on the timer's thread at each tick until it returns false; `ended` then
    // runs on the UI thread. The first tick comes one interval after the start.
    virtual void start(int intervalMs, std::function<bool()> tick, std::function<void()> ended) = 0;
    // From the UI thread: once it returns no tick runs and none will, and `ended` is not
    // called for this run. Harmless when not running.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace tivrel
