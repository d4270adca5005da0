#pragma once

#include "platform/ClickTimer.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <thread>

namespace tivrel {

// The click thread, whatever the system: it waits for each tick's time with the system's
// own absolute-deadline wait, asks for a real-time scheduling class where the system grants
// one, and hands the end of a run back to the UI thread. Each system supplies the clock, the
// wait and the wake-up.
class ThreadClickTimer : public ClickTimer {
public:
    ThreadClickTimer();
    ~ThreadClickTimer() override;

    void start(int intervalMs, Run work, std::function<void()> ended) override;
    void stop() override;
    bool isRunning() const override { return m_running; }

protected:
    // What ended a sleep.
    enum class Wake {
        Due,         // the deadline has come
        PointerNews, // the system has news of the pointer
        Stopped,     // wake() cut the sleep short
    };

    // The monotonic clock, in nanoseconds.
    virtual std::int64_t now() = 0;
    // Sleeps until `deadline` on that clock, or until the system has news of the pointer
    // where it hands such news to a sleeping thread, or until wake().
    virtual Wake sleepUntil(std::int64_t deadline) = 0;
    // Cuts a present or coming sleepUntil short; called from the UI thread.
    virtual void wake() = 0;
    // Clears a wake() that found no sleep, before a new run.
    virtual void clearWake() = 0;
    // Asks for a real-time scheduling class for the calling thread; false where refused.
    virtual bool raisePriority() = 0;
    // Ends the thread before the derived class goes: its destructor must call this.
    void shutDown() { stop(); }

private:
    void loop(std::int64_t interval, std::uint64_t run);
    void endedByItself(std::uint64_t run);

    std::thread m_thread;
    Run m_work;
    std::function<void()> m_ended;
    std::atomic<bool> m_stopping{false};
    bool m_running = false;
    std::uint64_t m_run = 0; // which run an `ended` belongs to; UI thread only
    QObject m_uiThread;      // receives the end of a run on the UI thread
};

} // namespace tivrel
