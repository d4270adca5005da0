#pragma once

#include <functional>

namespace tivrel {

// Drives the fast clicks of a run on a thread of its own, so that no click waits behind the
// windows' drawing or the window manager's traffic. Ticks follow a TickSchedule: the n-th is
// due at start + n x interval on the monotonic clock; late ones are made, never closer than
// half an interval to the one before.
class ClickTimer {
public:
    // What a run does on the timer's thread. Each returns false when the run must end.
    struct Run {
        std::function<bool()> tick = {}; // a tick is due
        // The system has news of the pointer between two ticks (where it hands the thread
        // such news at all): the run can end at the move, not at the next tick.
        std::function<bool()> look = {};
    };

    virtual ~ClickTimer() = default;
    // Calls `run.tick` on the timer's thread at each tick, and `run.look` at each piece of
    // pointer news, until one returns false; `ended` then runs on the UI thread. The first
    // tick comes one interval after the start.
    virtual void start(int intervalMs, Run run, std::function<void()> ended) = 0;
    // From the UI thread: once it returns nothing runs on the timer's thread and nothing
    // will, and `ended` is not called for this run. Harmless when not running.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace tivrel
